#include "app/ControlStates.h"

#include <QPushButton>

#include "app/MainFormControls.h"
#include "app/TRadioButton.h"
#include "drives/TDriveComboBox.h"

namespace zelk {
namespace {

void Tip(QWidget* control, const char* utf8) {
    control->setToolTip(QString::fromUtf8(utf8));
}

}  // namespace

void ControlStates::SetTips(const MainFormControls& controls) {
    Tip(controls.DriveComboBox1,
        "探索するドライブを選びます (Alt+↓ で一覧を開く)。最後の「フォルダを選択…」か、"
        "ウィンドウへのドロップでフォルダを探索します");
    Tip(controls.btnStart,
        "選んだドライブを探索します (Space)。終わった探索は Ctrl+S で保存し、Ctrl+O で開きます");
    Tip(controls.btnStop, "探索を中断します (Space)");
    Tip(controls.btnSortBySize, "ツリーをサイズの大きい順に並べ替えます (Space)");
    Tip(controls.btnSortByDate, "ツリーを新しい順に並べ替えます (Space)");
    Tip(controls.rbFileSize, "サイズを圧縮前のファイルの大きさで数えます (Space)");
    Tip(controls.rbCompressedSize, "サイズをディスク上の圧縮後の大きさで数えます (Space)");
}

void ControlStates::Update(const MainFormControls& controls, bool scanning, bool finished) {
    controls.btnStart->setEnabled(!scanning);
    controls.btnStop->setEnabled(scanning);
    for (QWidget* sorting :
         std::initializer_list<QWidget*>{controls.btnSortBySize, controls.btnSortByDate,
                                         controls.rbFileSize, controls.rbCompressedSize}) {
        sorting->setEnabled(finished);
    }
}

}  // namespace zelk
