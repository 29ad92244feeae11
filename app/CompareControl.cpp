#include "app/CompareControl.h"

#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <utility>

#include "app/BackgroundReleaser.h"
#include "app/ErrorGuard.h"
#include "app/ListingOrder.h"
#include "app/NodeMenu.h"
#include "app/ScanFileControl.h"
#include "app/TPanel.h"
#include "app/TfrmMain.h"

namespace zelk {
namespace {

const char* const kOpenText = "比較対象を開く…";
const char* const kEndText = "比較を終了";
const char* const kSortText = "増加でソート";

// A few milliseconds of matching on our machines.
constexpr std::size_t kDirectoriesPerStep = 30000;

}  // namespace

void CompareControl::Release(std::unique_ptr<ScanComparison> comparison) {
    if (comparison != nullptr) {
        BackgroundReleaser::Instance().Release(
            std::shared_ptr<ScanComparison>(std::move(comparison)));
    }
}

CompareControl::CompareControl(TfrmMain& form)
    : QObject(&form), form_(form), toggle_(new QAction(QString::fromUtf8(kOpenText), &form)) {
    toggle_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    form.addAction(toggle_);
    connect(toggle_, &QAction::triggered, this, [this] { Guarded([this] { ToggleClick(); }); });

    // Left of the size sort, one button's pitch away, as the band's other pairs are.
    const MainFormControls& controls = form.Controls();
    const QRect bySize = controls.btnSortBySize->geometry();
    const int pitch = controls.btnSortByDate->x() - bySize.x();
    sortButton_ = new QPushButton(QString::fromUtf8(kSortText), controls.Panel1);
    sortButton_->setAccessibleName(QString::fromUtf8(kSortText));
    sortButton_->setGeometry(bySize.translated(-pitch, 0));
    sortButton_->setAutoDefault(false);
    sortButton_->setFocusPolicy(Qt::StrongFocus);
    sortButton_->hide();
    QMenu& menu = form.Menu().Menu();
    menu.addSeparator();
    menu.addAction(toggle_);
    menu.addAction(&form.ScanFiles->Kept().CompareAction());
    connect(sortButton_, &QPushButton::clicked, this,
            [this] { Guarded([this] { form_.btnSortByGrowthClick(); }); });
}

CompareControl::~CompareControl() {
    Release(std::move(matching_));
}

bool CompareControl::Active() const {
    return form_.ScanFiles->Taking() || matching_ != nullptr || form_.ShownComparison() != nullptr;
}

void CompareControl::ToggleClick() {
    if (Active()) {
        End();
        return;
    }
    if (form_.Scanning() || form_.FinishedTree() == nullptr) {
        return;  // nothing to compare yet
    }
    const std::string file = form_.ScanFiles->AskFileToOpen("比較対象を開く");
    if (!file.empty()) {
        CompareWithFile(file);
    }
}

void CompareControl::CompareWithFile(const std::string& file) {
    if (form_.Scanning() || form_.FinishedTree() == nullptr) {
        waitingFile_ = file;
        return;
    }
    waitingFile_.clear();
    form_.ScanFiles->Open(file, [this](ScanFile read, std::exception_ptr error) {
        BaselineRead(std::move(read), error);
    });
    ShowState();
}

void CompareControl::BaselineRead(ScanFile file, std::exception_ptr error) {
    const std::shared_ptr<TFileAttr> shown = form_.FinishedTree();
    if (error != nullptr || shown == nullptr) {
        BackgroundReleaser::Instance().Release(std::shared_ptr<TFileAttr>(std::move(file.Root)));
        ShowState();  // what was compared before stays compared
        if (error != nullptr) {
            std::rethrow_exception(error);
        }
        return;
    }
    Release(std::move(matching_));
    matching_ = std::make_unique<ScanComparison>(*shown, std::move(file.Root));
    Continue();
}

void CompareControl::Continue() {
    stepPosted_ = false;
    if (matching_ == nullptr) {
        return;
    }
    if (!matching_->Step(kDirectoriesPerStep)) {
        if (!stepPosted_) {
            stepPosted_ = true;
            QTimer::singleShot(0, this, [this] { Guarded([this] { Continue(); }); });
        }
        return;
    }
    Show(std::move(matching_));
}

void CompareControl::Show(std::unique_ptr<ScanComparison> comparison) {
    form_.Order().ReplaceComparison(std::move(comparison));
    ShowState();
}

void CompareControl::ShowState() {
    toggle_->setText(QString::fromUtf8(Active() ? kEndText : kOpenText));
    sortButton_->setVisible(form_.ShownComparison() != nullptr);
}

void CompareControl::End() {
    waitingFile_.clear();
    if (form_.ScanFiles->Taking()) {
        form_.ScanFiles->StopOpen();
    }
    Release(std::move(matching_));
    Show(nullptr);
}

void CompareControl::TreeDropping() {
    if (form_.ScanFiles->Taking()) {
        form_.ScanFiles->StopOpen();
    }
    Release(std::move(matching_));
    toggle_->setText(QString::fromUtf8(kOpenText));
    sortButton_->hide();  // the window drops the comparison shown
}

void CompareControl::TreeFinished() {
    if (!waitingFile_.empty()) {
        CompareWithFile(std::string(waitingFile_));
    }
}

}  // namespace zelk
