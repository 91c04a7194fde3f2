// Temporary: the timecode verification is not built yet.
#include "mxf/analysis.h"

namespace tavrin {
int verify_sdti_timecode(const ByteSource*, MXF_BASE_INFO*) { return 0; }
}  // namespace tavrin
