// The file package step (section 500): the creation date of the first Source Package set
// (SMPTE 377-1 clause 9.5.3) and, when the package carries a modified date, the file's own
// last-write time in local time. Both in the form "YYYY/MM/DD  hh:mm:ss" (two blanks).
//
// A source without a directory record (an in-memory buffer) leaves `modifiedDate` as it was.
//
// Codes beyond the table of the section:
//   505  the Source Package set is damaged: its value does not lie inside the file, an item runs
//        past the set, or the creation date holds fewer than its 8 bytes.
#include "mxf/analysis.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "platform/byte_reader.h"
#include "platform/local_time.h"
#include "platform/text.h"

namespace tavrin {

namespace {

using namespace file_package_codes;

constexpr uint16_t kTagCreationDate = 0x4405;
constexpr uint16_t kTagModifiedDate = 0x4404;
constexpr size_t kTimestampSize = 8;  // year u16, month, day, hour, minute, second, 1/4 ms

std::string date_text(int year, int month, int day, int hour, int minute, int second) {
  return platform::cut_to_capacity(
      platform::format("%04d/%02d/%02d  %02d:%02d:%02d", year, month, day, hour, minute, second),
      kDateTextCapacity);
}

void store_modified_date(const ByteSource& file, MXF_BASE_INFO* mxf) {
  platform::DirectoryRecord record;
  if (!file.stat(&record).ok()) return;
  const platform::LocalTime t = platform::to_local_time(record.lastWrite);
  mxf->modifiedDate = date_text(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

}  // namespace

int read_file_package(const ByteSource* file, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->partitions == nullptr) return kNoSlot;

  const HeaderSet set =
      read_header_set(*file, keys::kSourcePackageSet, header_metadata_range(*mxf));
  if (set.status == SetReadStatus::kNotFound) return kNotFound;
  if (set.status != SetReadStatus::kFound) return kDamaged;

  LocalSetWalker walker(set.value);
  LocalItem item;
  while (walker.next(&item)) {
    if (item.tag == kTagCreationDate) {
      if (item.value.size() < kTimestampSize) return kDamaged;
      const uint8_t* v = item.value.data();
      mxf->creationDate = date_text(platform::load_be16(v), v[2], v[3], v[4], v[5], v[6]);
    } else if (item.tag == kTagModifiedDate) {
      store_modified_date(*file, mxf);
    }
  }
  return walker.truncated() ? kDamaged : 0;
}

}  // namespace tavrin
