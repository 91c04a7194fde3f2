// Temporary: the export engines are not built yet.
#include "export/bwf_export.h"

namespace tavrin {
int export_bwf_by_mapping(const std::string&, AUDIOTRACK_IO_INFO*, MXF_BASE_INFO*) { return 4002; }
int export_bwf_by_file_api(const std::string&, AUDIOTRACK_IO_INFO*, MXF_BASE_INFO*) { return 5002; }
uint64_t samples_before_frame(uint64_t, uint32_t) { return 0; }
}  // namespace tavrin
