#include "ui/command_bridge.h"

namespace tavrin::ui {

namespace {

WindowCommand make(int id, const char* menu, const char* context, QKeySequence key = {}) {
  return {id, QString::fromUtf8(menu), QString::fromUtf8(context), key};
}

}  // namespace

const std::vector<WindowCommand>& window_commands() {
  static const std::vector<WindowCommand> table = {
      make(32843, "MXFファイルをロード(&M)\tCtrl+O", "MXFファイルをロード(&M)",
           QKeySequence(Qt::CTRL | Qt::Key_O)),
      make(32856, "MXFファイルをアンロード(U)\tCtrl+U", "MXFファイルをアンロード(U)",
           QKeySequence(Qt::CTRL | Qt::Key_U)),
      make(32800, "BWF(WAV)ファイルを追加(&J)\tCtrl+Shift+O", "WAVファイルを追加(&J)",
           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)),
      make(32794, "BWF(WAV)ファイルを生成(&C)\tCtrl+B", "", QKeySequence(Qt::CTRL | Qt::Key_B)),
      make(32793, "ラッピングを実行(&W)\t  Ctrl+R", "", QKeySequence(Qt::CTRL | Qt::Key_R)),
      make(105, "終了(&X)", ""),
      make(32799, "全てを選択(&A)\tCtrl+A", "全て選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A)),
      make(32897, "全トラックON/OFF(&A)\tCtrl+Shift+A", "全トラックON/OFF(&A)",
           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)),
      make(32911, "選択されているトラックのON/OFF(&G)\tCtrl+G",
           "選択されているトラックのON/OFF(&G)", QKeySequence(Qt::CTRL | Qt::Key_G)),
      make(32831, "削除(&D)\tDEL", "削除(&D)", QKeySequence(Qt::Key_Delete)),
      make(32832, "トラック / WAVライブラリ表示切替(&T)\tCtrl+T",
           "トラック / WAVファイルライブラリ表示切替(&T)", QKeySequence(Qt::CTRL | Qt::Key_T)),
      make(32797, "選択されたWAVをトラックに割当てる(&C)\tCtrl+C", "トラックに割当てる(&D)",
           QKeySequence(Qt::CTRL | Qt::Key_C)),
      make(32868, "ファイル名(&1)", ""),
      make(32869, "チャンネル数(&2)", ""),
      make(32870, "ビットレート(&3)", ""),
      make(32871, "サンプルレート(&4)", ""),
      make(32872, "開始TC(&5)", ""),
      make(32882, "終了TC(&6)", ""),
      make(32873, "デュレーション(&7)", ""),
      make(32874, "作成日時(&8)", ""),
      make(32875, "更新日時(&9)", ""),
      make(32876, "サイズ(&0)", ""),
      make(32884, "現在のMXFファイルの場所を開く(&L)\tCtrl+L", "",
           QKeySequence(Qt::CTRL | Qt::Key_L)),
      make(32795, "IN点を設定(&I)\tI", "", QKeySequence(Qt::Key_I)),
      make(32815, "OUT点を設定(&O)\tO", "", QKeySequence(Qt::Key_O)),
      make(32889, "ファイル処理API設定(&F)\tCtrl + P", "", QKeySequence(Qt::CTRL | Qt::Key_P)),
      make(104, "バージョン情報(&A)\tCtrl + H", "", QKeySequence(Qt::CTRL | Qt::Key_H)),
  };
  return table;
}

bool command_enabled(const app::APP_STATE_INFO& app, int commandId) {
  const bool L = app.mxfLoaded != 0;
  const bool S = app.libraryShown != 0;
  const bool N = app.library.count > 0;
  const bool tracks = app.existing_tracks() > 0;
  switch (commandId) {
    case 32843:
      return !L;
    case 32856:
    case 32800:
    case 32794:
    case 32832:
    case 32884:
      return L;
    case 32793:
      return L && app.inSet && app.outSet;
    case 32799:
    case 32831:
      return S ? (L && N) : L;
    case 32897:
    case 32911:
      return L && !S;
    case 32797:
      return S && L && N && app.selectedCount == 1;
    case 32795:
    case 32815:
      return L && tracks;
    case 105:
    case 32889:
    case 104:
      return true;
    default:
      for (int id : kSortCommands) {
        if (id == commandId) return S && L && N;
      }
      return false;
  }
}

}  // namespace tavrin::ui
