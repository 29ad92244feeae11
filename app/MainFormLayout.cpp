#include "app/MainFormLayout.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/AccessibleFactory.h"
#include "app/BandAlignment.h"
#include "app/CompareControl.h"
#include "app/DesignScaling.h"
#include "app/ErrorGuard.h"
#include "app/Pictures.h"
#include "app/TImageList.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "drives/TDriveComboBox.h"

namespace zelk {
namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A page whose one control fills it.
QWidget* FilledPage(QWidget* control) {
    auto* page = new QWidget;
    auto* fill = new QVBoxLayout(page);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->setSpacing(0);
    fill->addWidget(control);
    return page;
}

}  // namespace

QFont MainFormFont(int dpi) {
    QFont font;
    font.setFamilies({Text("ＭＳ Ｐゴシック"), Text("IPAPGothic")});
    font.setPixelSize(FontPixelSizeFor(dpi));
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

void BuildMainForm(TfrmMain& form, int textHeight) {
    form.setWindowTitle(Text("ZELK"));
    form.setFont(MainFormFont(form.logicalDpiY()));
    form.setAutoFillBackground(true);
    form.setBackgroundRole(QPalette::Button);
    const int t = textHeight > 0 ? textHeight : QFontMetrics(form.font()).height();
    const auto place = [t](QWidget* control, int left, int top, int width, int height) {
        control->setGeometry(ScaledDesignRect(QRect(left, top, width, height), t));
    };

    form.Panel1 = new TPanel(&form);
    form.StatusBar1 = new TStatusBar(&form);
    form.DriveComboBox1 = new TDriveComboBox(form.Panel1);
    form.btnStart = new QPushButton(Text("検索開始"), form.Panel1);
    form.btnStop = new QPushButton(Text("検索中断"), form.Panel1);
    form.PageControl1 = new TPageControl(&form);
    form.TreeView1 = new TTreeView;
    form.TabSheet1 = FilledPage(form.TreeView1);
    form.PaintBox1 = new TPaintBox;
    form.TabSheet2 = FilledPage(form.PaintBox1);
    form.PageControl1->addTab(form.TabSheet1, Text("ツリー表示"));
    form.PageControl1->addTab(form.TabSheet2, Text("グラフ表示"));
    form.ImageList1 = std::make_unique<TImageList>(16, 16);
    form.btnSortBySize = new QPushButton(Text("サイズでソート"), form.Panel1);
    form.btnSortByDate = new QPushButton(Text("日付でソート"), form.Panel1);
    form.rbFileSize = new TRadioButton(Text("圧縮前サイズを使用"), form.Panel1);
    form.rbCompressedSize = new TRadioButton(Text("圧縮サイズを使用"), form.Panel1);

    const QRect drives = ScaledDesignRect(QRect(8, 8, 345, 18), t);
    form.DriveComboBox1->setGeometry(drives.x(), drives.y(), drives.width(),
                                     form.DriveComboBox1->sizeHint().height());
    place(form.btnStart, 360, 8, 121, 25);
    place(form.btnStop, 488, 8, 113, 25);
    place(form.btnSortBySize, 360, 40, 121, 25);
    place(form.btnSortByDate, 488, 40, 113, 25);
    place(form.rbFileSize, 8, 32, 153, 17);
    place(form.rbCompressedSize, 8, 48, 153, 17);
    for (QPushButton* button :
         {form.btnStart, form.btnStop, form.btnSortBySize, form.btnSortByDate}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::StrongFocus);
    }

    form.ImageList1->Add(ClosedFolderPicture());
    form.ImageList1->Add(OpenFolderPicture());
    form.ImageList1->Add(UnreadableFolderPicture());
    form.TreeView1->SetImages(form.ImageList1.get());
    form.TreeView1->SetHint(
        "名前 "
        "割合\u3000圧縮サイズの割合\u3000（サイズ\u3000圧縮サイズ\u3000圧縮率）\u3000最終書き込み");

    // What a screen reader announces for controls without a text of their own; the buttons, radio
    // buttons, tabs and the drive list are read by the texts they show.
    InstallAccessibleFactory();
    form.Panel1->setAccessibleName(Text("操作パネル"));
    form.PageControl1->setAccessibleName(Text("表示切り替え"));
    for (int page = 0; page < form.PageControl1->count(); ++page) {
        form.PageControl1->widget(page)->setAccessibleName(form.PageControl1->tabText(page));
    }
    form.TreeView1->setAccessibleName(Text("ディレクトリツリー"));
    form.TreeView1->setAccessibleDescription(QString::fromStdString(form.TreeView1->Hint()));
    form.StatusBar1->setAccessibleName(Text("状態"));
    form.PaintBox1->setAccessibleName(Text("ディレクトリのグラフ"));
    form.PaintBox1->setAccessibleDescription(Text(
        "列は階層、棒はディレクトリ。棒の高さはドライブ全体のサイズに占める割合、"
        "サブディレクトリは親の棒の右の列に積み重ねて描かれます。探索が完了するまでは空です。"));

    // Checked without a click: no handler runs.
    form.rbFileSize->setChecked(true);
    form.PageControl1->SetActivePage(form.TabSheet1);

    QWidget::setTabOrder(form.DriveComboBox1, form.btnStart);
    QWidget::setTabOrder(form.btnStart, form.btnStop);
    QWidget::setTabOrder(form.btnStop, form.btnSortBySize);
    QWidget::setTabOrder(form.btnSortBySize, form.btnSortByDate);
    QWidget::setTabOrder(form.btnSortByDate, form.rbFileSize);
    QWidget::setTabOrder(form.rbFileSize, form.rbCompressedSize);
    QWidget::setTabOrder(form.rbCompressedSize, form.PageControl1->tabBar());
    QWidget::setTabOrder(form.PageControl1->tabBar(), form.TreeView1);
    form.Panel1->SetArrowOrder(
        {form.DriveComboBox1, form.btnStart, form.btnStop, form.btnSortBySize, form.btnSortByDate,
         form.rbFileSize, form.rbCompressedSize},
        {form.DriveComboBox1});

    const QRect client = ScaledDesignRect(QRect(0, 0, kDesignClientWidth, kDesignClientHeight), t);
    const QRect top = ScaledDesignRect(QRect(0, 0, kDesignClientWidth, 73), t);
    const QRect bottom = ScaledDesignRect(QRect(0, 359, kDesignClientWidth, 19), t);
    form.resize(client.size());
    new BandAlignment(form, *form.Panel1, top.height(), *form.PageControl1, *form.StatusBar1,
                      bottom.height());
}

void WireMainForm(TfrmMain& form) {
    const auto wire = [&form](auto* source, auto signal, void (TfrmMain::*handler)()) {
        QObject::connect(source, signal, &form,
                         [&form, handler] { Guarded([&form, handler] { (form.*handler)(); }); });
    };
    wire(form.btnStart, &QPushButton::clicked, &TfrmMain::btnStartClick);
    wire(form.btnStop, &QPushButton::clicked, &TfrmMain::btnStopClick);
    wire(form.btnSortBySize, &QPushButton::clicked, &TfrmMain::btnSortBySizeClick);
    wire(form.btnSortByDate, &QPushButton::clicked, &TfrmMain::btnSortByDateClick);
    wire(form.rbFileSize, &TRadioButton::Click, &TfrmMain::rbFileSizeClick);
    wire(form.rbCompressedSize, &TRadioButton::Click, &TfrmMain::rbCompressedSizeClick);
    wire(form.TreeView1, &TTreeView::Click, &TfrmMain::TreeView1Click);
    // The surface guards its own paints: an error there is shown after the paint has ended.
    form.PaintBox1->OnPaint = [&form] { form.PaintBox1Paint(); };
}

void MoveTabFocus(const TfrmMain& form, bool next) {
    QWidget* const radio =
        form.rbCompressedSize->isChecked() ? form.rbCompressedSize : form.rbFileSize;
    std::vector<QWidget*> stops = {form.DriveComboBox1,        form.btnStart,      form.btnStop,
                                   form.btnSortBySize,         form.btnSortByDate, radio,
                                   form.PageControl1->tabBar()};
    if (QPushButton* byGrowth = &form.Comparing().SortButton(); byGrowth->isVisible()) {
        stops.insert(stops.begin() + 3, byGrowth);  // left of the size sort, where it sits
    }
    if (form.PageControl1->ActivePage() == form.TabSheet1) {
        stops.push_back(form.TreeView1);
    } else if (form.PageControl1->ActivePage() == form.TabSheet2) {
        stops.push_back(form.PaintBox1);
    }
    QWidget* focused = QApplication::focusWidget();
    if (focused == form.rbFileSize || focused == form.rbCompressedSize) {
        focused = radio;  // the unchecked one is no stop of its own: from its place in the band
    }
    const auto at = std::find(stops.begin(), stops.end(), focused);
    const auto count = static_cast<long>(stops.size());
    const long from = at == stops.end() ? (next ? -1 : 0) : at - stops.begin();
    stops[static_cast<std::size_t>((from + (next ? 1 : -1) + count) % count)]->setFocus(
        next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

}  // namespace zelk
