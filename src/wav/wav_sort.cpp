#include "wav/wav_sort.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tavrin {

namespace {

// Quicksort over view[first .. last] with the pivot from the middle and a Hoare partition; it
// recurses into the left part and loops on the right. `before(a, b)` is true when a belongs in
// front of b. The scans also stop at the ends of the range, which a consistent order never
// reaches; they only keep an inconsistent collation from running off the array.
template <typename Before>
void quicksort(WavLibraryView& view, int64_t first, int64_t last, const Before& before) {
  while (first < last) {
    const WAV_LIBRARY_ENTRY* pivot = view[static_cast<size_t>((first + last) / 2)];
    int64_t i = first - 1;
    int64_t j = last + 1;
    for (;;) {
      do {
        ++i;
      } while (i < last && before(*view[static_cast<size_t>(i)], *pivot));
      do {
        --j;
      } while (j > first && before(*pivot, *view[static_cast<size_t>(j)]));
      if (i >= j) break;
      std::swap(view[static_cast<size_t>(i)], view[static_cast<size_t>(j)]);
    }
    if (first < i - 1) quicksort(view, first, i - 1, before);
    first = j + 1;
  }
}

// Clips [first, last] to the array; false when nothing is left to sort.
bool clip(const WavLibraryView& view, int32_t* first, int32_t* last) {
  if (view.empty()) return false;
  *first = std::max(*first, 0);
  *last = static_cast<int32_t>(std::min<int64_t>(*last, static_cast<int64_t>(view.size()) - 1));
  return *first < *last;
}

}  // namespace

void sort_wav_by_name(WavLibraryView& view, int32_t first, int32_t last,
                      WavSortDirection direction) {
  if (!clip(view, &first, &last)) return;
  const bool ascending = direction == WavSortDirection::kAscending;
  quicksort(view, first, last, [ascending](const WAV_LIBRARY_ENTRY& a, const WAV_LIBRARY_ENTRY& b) {
    const int order = std::strcoll(a.file_name.c_str(), b.file_name.c_str());
    return ascending ? order < 0 : order > 0;
  });
}

void sort_wav_by_key(WavLibraryView& view, int32_t key, int32_t first, int32_t last,
                     WavSortDirection direction) {
  if (key < 0 || key >= static_cast<int32_t>(kLibrarySortKeyCount)) return;
  if (!clip(view, &first, &last)) return;
  const size_t k = static_cast<size_t>(key);
  const bool ascending = direction == WavSortDirection::kAscending;
  quicksort(view, first, last,
            [k, ascending](const WAV_LIBRARY_ENTRY& a, const WAV_LIBRARY_ENTRY& b) {
              return ascending ? a.sort_keys[k] < b.sort_keys[k] : a.sort_keys[k] > b.sort_keys[k];
            });
}

void sort_wav_library(WAV_LIBRARY& library, WavLibraryView& view, int32_t key) {
  const int64_t count = std::min<int64_t>(library.count, static_cast<int64_t>(view.size()));
  const auto last = static_cast<int32_t>(count - 1);
  if (key == kSortByName) {
    sort_wav_by_name(view, 0, last, library.direction);
  } else {
    sort_wav_by_key(view, key, 0, last, library.direction);
  }
  library.direction = library.direction == WavSortDirection::kAscending
                          ? WavSortDirection::kDescending
                          : WavSortDirection::kAscending;
}

}  // namespace tavrin
