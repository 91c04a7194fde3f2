// The program's name as the operator sees it, and the name and version text that opens both logs.
#pragma once

#include <string_view>

namespace tavrin::jobs {

inline constexpr std::string_view kProgramName = "MXF Tavrin";
inline constexpr std::string_view kProgramVersionText = "MXF Tavrin 1.0.0.0";

}  // namespace tavrin::jobs
