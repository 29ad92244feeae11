// Guards the window's manners: a second start opens at the size, page and basis the first one
// ended with (the first at the design size), read from the configuration folder the
// environment names; at its minimum size every control of the top band is drawn whole, pixel
// for pixel as at the design size; and start, stop, the sort buttons and the basis can act only
// when they have something to act on.

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/TPageControl.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/WindowFixture.h"
#include "app/WindowSettings.h"
#include "drives/TDriveComboBox.h"

namespace zelk {
namespace {

TEST(WindowSettings, ASecondStartOpensAtTheSizePageAndBasisTheFirstEndedWith) {
    const test::TempDir config;
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    const QString file = WindowSettings::DefaultFile();
    EXPECT_EQ(file.toStdString(), config.Path() + "/zelk/zelk.conf");
    QSize design;
    {
        TfrmMain first;
        new WindowSettings(first, file);
        design = first.size();
        EXPECT_EQ(design, TfrmMain().size()) << "the first start is at the design size";
        first.show();
        first.resize(design + QSize(150, 90));
        first.Controls().PageControl1->SetActivePage(first.Controls().TabSheet2);
        first.Controls().rbCompressedSize->setChecked(true);
        first.close();
    }
    TfrmMain second;
    new WindowSettings(second, file);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(second.size(), design + QSize(150, 90));
    EXPECT_EQ(second.Controls().PageControl1->ActivePage(), second.Controls().TabSheet2);
    EXPECT_TRUE(second.Controls().rbCompressedSize->isChecked());
}

TEST(WindowSettings, AtTheMinimumSizeEveryBandControlIsDrawnWholeAsAtTheDesignSize) {
    TfrmMain form;
    form.show();
    const QImage atDesign = form.grab().toImage();
    form.resize(1, 1);
    const QSize minimum = form.size();
    EXPECT_LT(minimum.width(), atDesign.width() + 1);
    EXPECT_GT(minimum.width(), 400) << "the buttons were cut off at 400 pixels";
    const QImage atMinimum = form.grab().toImage();
    const MainFormControls& controls = form.Controls();
    for (QWidget* control : controls.Panel1->findChildren<QWidget*>()) {
        if (control->parentWidget() != controls.Panel1) {
            continue;
        }
        const QRect place(control->mapTo(&form, QPoint(0, 0)), control->size());
        ASSERT_TRUE(QRect(QPoint(0, 0), minimum).contains(place))
            << control->metaObject()->className();
        EXPECT_EQ(atMinimum.copy(place), atDesign.copy(place))
            << control->metaObject()->className();
    }
    EXPECT_GE(controls.TreeView1->viewport()->height(), 3 * form.fontMetrics().height());
}

class ControlStatesTest : public test::WindowFixture {
  protected:
    ControlStatesTest() : WindowFixture('q') {}
    // Start, stop, the sort buttons and the basis buttons: 1 where enabled.
    std::string States() const {
        const MainFormControls& c = form_->Controls();
        std::string states;
        for (const QWidget* control : std::initializer_list<const QWidget*>{
                 c.btnStart, c.btnStop, c.btnSortBySize, c.btnSortByDate, c.rbFileSize,
                 c.rbCompressedSize}) {
            states += control->isEnabled() ? '1' : '0';
        }
        return states;
    }
};

TEST_F(ControlStatesTest, StartStopSortAndBasisCanActOnlyWhenThereIsSomethingToActOn) {
    std::filesystem::create_directories(root_ + "/a/b");
    EXPECT_EQ(States(), "100000") << "at start";
    form_->btnStartClick();
    EXPECT_EQ(States(), "010000") << "during a scan";
    ASSERT_TRUE(Settle());
    EXPECT_EQ(States(), "101111") << "after a scan";
    form_->btnStartClick();
    form_->btnStopClick();
    ASSERT_TRUE(Settle());
    EXPECT_EQ(States(), form_->FinishedTree() != nullptr ? "101111" : "100000") << "after a stop";
    form_->ReplaceShownTree(nullptr, false);
    EXPECT_EQ(States(), "100000") << "nothing shown";
}

}  // namespace
}  // namespace zelk
