// The section table, the process names, the job texts and the one table that turns a section and
// an error code into the message the operator reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mxf/records.h"

namespace tavrin::jobs {

// Section codes of the job steps: 0 preliminary checks, 100 file size, 200 .. 1000 the analysis
// steps, 2000/3000 wrapping by mapping / by file API, 4000/5000 export by mapping / by file API.
inline constexpr int kSectionCodes[] = {0,   100, 200,  300,  400,  500,  600, 700,
                                        800, 900, 1000, 2000, 3000, 4000, 5000};

// Row of a section code in the section table, or -1 when the code is not a section.
int section_row(int sectionCode);
// Section name ("Randam Index Table", "PreFace set", ...); "N/A" for row 0 and unknown codes.
std::string_view section_name(int sectionCode);

// Message of a code within a section: the code minus the section's base selects the column.
// Every cell without a message, an unknown section and a column outside the table give
// kUndefinedMessage.
std::string_view section_message(int sectionCode, int code);
inline constexpr std::string_view kUndefinedMessage = "エラーコード未定です。";

// The message of an analysis failure as the operator reads it: the table's message, with the
// file's edit rate ("50/1") put into the message of an edit rate without a cadence.
inline constexpr int kEditRateMessageCode = 410;
std::string analysis_message(int sectionCode, int code, const MXF_TIMECODE_INFO* timecode);

// Process names by the file-I/O setting.
std::string_view process_name(bool useFileApi);

enum class JobKind : uint32_t { kWrapping = 0, kExport = 1, kAnalysis = 2 };
// "ラッピング" or "BWFファイルの書出し".
std::string_view job_text(JobKind kind);

// Capacity of a composed final message, in UTF-16 units including the terminator.
inline constexpr size_t kFinalMessageCapacity = 256;

}  // namespace tavrin::jobs
