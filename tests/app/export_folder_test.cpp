// The folder chosen in the export form's browser is kept whole: a folder too long for the field
// is refused at export time, never cut into the path of another folder.
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "app/export_folder.h"
#include "app/export_form.h"

namespace tavrin::app {
namespace {

TEST(ExportFolder, ChosenFolderIsShownAndUsedWholeOrRefused) {
  APP_STATE_INFO app;
  test::load_without_file(app, 8);
  app.desktopPath = "/home/op/Desktop";
  EXPECT_EQ(export_folder_field(app), "/home/op/Desktop");
  store_export_folder(app, "/srv/out");
  EXPECT_EQ(export_folder_field(app), "/srv/out");

  const std::string longFolder = "/" + std::string(kExportFolderCapacity, 'f');
  store_export_folder(app, longFolder);
  EXPECT_EQ(app.tracks.exportFolder, longFolder);
  app.exportInSet = 1;
  app.exportOutSet = 1;
  app.tracks.exportMark[0] = 1;
  const auto refusal = prepare_export_job(app, "Track-", export_folder_field(app));
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->text, "保存先またはプレフィックス名が長すぎます。\n短くしてください。");
  EXPECT_EQ(app.tracks.exportCounter, 0u);
}

}  // namespace
}  // namespace tavrin::app
