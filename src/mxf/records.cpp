#include "mxf/records.h"

namespace tavrin {

MxfRecords::MxfRecords() {
  base.partitions = &partitionSlot;
  base.timecode = &timecode;
  base.audio = &audio;
  base.video = &video;
  base.indexEntries = &indexEntrySlot;
  base.layout = &layout;
}

void unload_mxf_records(MxfRecords& records) {
  records.partitionSlot = {};
  records.indexEntrySlot = {};
  records.audio = MXF_AUDIO_INFO{};
  records.video = MXF_VIDEO_INFO{};
  records.layout = MXF_LAYOUT_INFO{};
  MXF_BASE_INFO& base = records.base;
  base.hasAncData = 0;
  base.ancElementSize = 0;
  base.versionMajor = 0;
  base.versionMinor = 0;
  base.creationDate.clear();
  base.modifiedDate.clear();
  base.companyName.clear();
  base.productName.clear();
  base.versionString.clear();
  base.platform.clear();
}

const INDEX_ENTRY_ARRAY* first_index_entry(const MXF_BASE_INFO& mxf) {
  if (mxf.indexEntries == nullptr || mxf.indexEntries->empty()) return nullptr;
  return &mxf.indexEntries->front();
}

}  // namespace tavrin
