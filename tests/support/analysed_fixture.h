// An MXF fixture file written to disk and analysed by the program, as a test of the engines that
// work on loaded files needs it: the path, the records the analysis filled, the fixture's layout
// and its original bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mxf/records.h"
#include "support/mxf_fixture.h"

namespace tavrin::test {

struct AnalysedFixture {
  std::string path;
  MxfFixtureOptions options;
  MxfFixtureLayout layout;
  std::vector<uint8_t> original;
  MxfRecords records;
  int analysisCode = -1;  // 0 when the file loaded, otherwise the analysis's code
  std::string failureText;

  bool loaded() const { return analysisCode == 0; }
  // The IN/OUT count of file frame `frame` in the active counting base.
  uint32_t count(uint32_t frame) const {
    return (records.timecode.startsInHour23 ? records.timecode.shiftedStart
                                            : records.timecode.startFrame) +
           frame;
  }
};

// Runs the program's analysis (the job runner's analysis job) on the file at `path`. Returns 0
// when it loads, otherwise the code of the failure; `failureText` receives the runner's text.
int analyse_mxf_file(const std::string& path, MxfRecords* records,
                     std::string* failureText = nullptr);

// Writes the fixture of `options` to `path` and analyses it; null when the file cannot be written.
std::unique_ptr<AnalysedFixture> make_analysed_fixture(const std::string& path,
                                                       const MxfFixtureOptions& options);

}  // namespace tavrin::test
