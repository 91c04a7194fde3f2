#include "support/dialog_session.h"

namespace tavrin::test {

DialogSession::DialogSession() {
  owner.setWindowTitle(QStringLiteral("MXF Tavrin"));
  owner.setGeometry(40, 30, 1280, 720);
  owner.show();
}

std::string DialogSession::write_fixture(const std::string& name,
                                         const MxfFixtureOptions& options) {
  const std::string path = dir.file(name);
  return write_mxf_fixture(path, options) ? path : std::string();
}

ui::DialogContext DialogSession::context() {
  return ui::DialogContext{app, presenter, &owner,
                           [this](const std::string& text) { statuses.push_back(text); },
                           platform::TextEncoding::kUtf8};
}

MxfFixtureOptions three_breaks_fixture() {
  MxfFixtureOptions o;
  set_start_timecode(o, 10, 0, 59, 20);
  o.frameCount = 30;
  for (uint64_t i = 8; i < o.frameCount; ++i) {
    const int64_t offset = i <= 15 ? -1 : i <= 21 ? 4 : -3;
    o.timecodeOverrides[i] = count_to_timecode(
        30, true, static_cast<uint64_t>(static_cast<int64_t>(o.startTimecode + i) + offset));
  }
  return o;
}

}  // namespace tavrin::test
