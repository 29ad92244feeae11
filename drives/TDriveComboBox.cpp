#include "drives/TDriveComboBox.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFontMetrics>
#include <QListView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <algorithm>

#include "drives/TDriveItemDelegate.h"
#include "platform/AsciiCase.h"
#include "platform/FolderVolume.h"
#include "platform/VolumeTable.h"

namespace zelk {
namespace {

constexpr int kMaxDroppedRows = 8;
const char* const kFolderChooserText = "フォルダを選択…";

// The image with every pixel of its bottom-left colour made transparent.
QImage Keyed(const QImage& image) {
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = keyed.pixel(0, keyed.height() - 1);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if (line[x] == key) {
                line[x] = 0;
            }
        }
    }
    return keyed;
}

}  // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : TDriveComboBox(parent, nullptr) {}

TDriveComboBox::TDriveComboBox(QWidget* parent, std::shared_ptr<VolumeSource> source)
    : QComboBox(parent), style_(std::make_unique<TDriveListStyle>()), reader_(std::move(source)) {
    setEditable(false);
    setStyle(style_.get());
    setItemDelegate(new TDriveItemDelegate(*this));
    setMaxVisibleItems(kMaxDroppedRows);
    if (auto* list = qobject_cast<QListView*>(view())) {
        list->setUniformItemSizes(true);
    }
    for (int i = 0; i < kDriveImageCount; ++i) {
        images_[i] = QImage(DriveImageXpm(static_cast<DriveImage>(i)));
    }

    // SelectDrive settles the letter's case when the list is first filled.
    selectedDrive_ = reader_.CurrentDrive();
    UpdateItemHeight();

    connect(this, &QComboBox::activated, this, &TDriveComboBox::UserPicked);
}

TDriveComboBox::~TDriveComboBox() {
    setStyle(nullptr);  // the proxy style dies with this object, before the widget base
}

void TDriveComboBox::SelectDrive(char letter) {
    if (selectedEntry_ >= 0 && AsciiToUpper(letter) == AsciiToUpper(selectedDrive_)) {
        return;
    }
    if (letter == 0) {
        selectedDrive_ = 0;
        SetSelectedEntry(-1);
    } else {
        selectedDrive_ = textCase_ == tcUpperCase ? AsciiToUpper(letter) : AsciiToLower(letter);
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const std::string& text = entries_[i].Text;
            if (text.size() >= 2 && AsciiToUpper(text[0]) == AsciiToUpper(selectedDrive_) &&
                text[1] == ':') {
                SetSelectedEntry(static_cast<int>(i));
                break;
            }
        }
    }
    if (OnChange) {
        OnChange();
    }
}

void TDriveComboBox::SetTextCase(TTextCase value) {
    if (value == textCase_) {
        return;
    }
    textCase_ = value;
    const char remembered = selectedDrive_;
    RebuildDriveList();
    SelectDrive(remembered);
}

void TDriveComboBox::RebuildDriveList() {
    clear();
    selectedEntry_ = -1;
    entries_ = reader_.ReadEntries(textCase_);
    for (const DriveEntry& entry : entries_) {
        addItem(QString::fromUtf8(entry.Text));
    }
    addItem(QString::fromUtf8(kFolderChooserText));
    setCurrentIndex(-1);  // adding the first item selected it
}

void TDriveComboBox::SetFolder(const std::string& folder) {
    reader_.SetFolder(folder);
    RebuildDriveList();
    created_ = true;
    SelectDrive(FolderVolume::kLetter);
}

void TDriveComboBox::UpdateItemHeight() {
    itemHeight_ = std::max(QFontMetrics(font()).height(), Image(DriveImage::Floppy).height());
    // The closed field is one entry high inside the frame, like the open rows.
    setFixedHeight(itemHeight_ + 6);
    updateGeometry();
}

void TDriveComboBox::DrawDriveEntry(QPainter& painter, int index, const QRect& rect, bool selected,
                                    bool focused) const {
    QColor background = palette().color(QPalette::Base);
    QColor foreground = palette().color(QPalette::Text);
    const bool isEntry = index >= 0 && index < static_cast<int>(entries_.size());
    const bool isChooser = index == FolderChooserEntry();
    if ((isEntry || isChooser) && selected) {
        background = palette().color(QPalette::Highlight);
        foreground = palette().color(QPalette::HighlightedText);
    }
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, background);
    if (isEntry) {
        const DriveEntry& entry = entries_[index];
        const QImage& picture = Image(entry.Image);
        const int y = (rect.top() + rect.top() + rect.height() - picture.height()) / 2;
        painter.drawImage(rect.left() + 2, y, Keyed(picture));
        QRect textRect = rect;
        textRect.setLeft(rect.left() + picture.width() + 6);
        painter.setClipRect(textRect, Qt::IntersectClip);
        painter.setFont(font());
        painter.setPen(foreground);
        // No mnemonic flag: an ampersand is drawn as itself.
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromUtf8(entry.Text));
    } else if (isChooser) {
        QRect textRect = rect;
        textRect.setLeft(rect.left() + Image(DriveImage::Hard).width() + 6);
        painter.setFont(font());
        painter.setPen(foreground);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromUtf8(kFolderChooserText));
    }
    painter.restore();
    if (focused) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect;
        option.backgroundColor = background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

QSize TDriveComboBox::sizeHint() const {
    return {QComboBox::sizeHint().width(), itemHeight_ + 6};
}

QSize TDriveComboBox::minimumSizeHint() const {
    return {QComboBox::minimumSizeHint().width(), itemHeight_ + 6};
}

void TDriveComboBox::showPopup() {
    // Reading the mount table touches no file system, so it is read at every opening.
    const auto before = InstalledVolumeTable();
    const Volume* chosen = before->ByLetter(selectedDrive_);
    const std::string mountPoint = chosen != nullptr ? chosen->MountPoint : std::string();
    RebuildDriveList();
    const auto now = InstalledVolumeTable();
    const Volume* same = now->ByLetter(selectedDrive_);
    char letter = chosen == nullptr ? selectedDrive_ : 0;
    if (same != nullptr && same->MountPoint == mountPoint) {
        letter = selectedDrive_;
    } else if (chosen != nullptr) {
        for (const Volume& volume : now->Volumes()) {
            if (volume.Letter != 0 && volume.MountPoint == mountPoint) {
                letter = volume.Letter;
                break;
            }
        }
    }
    SelectDrive(letter);
    // The list measures its rows as laid out: lay them out at the item height first.
    view()->doItemsLayout();
    QComboBox::showPopup();
}

void TDriveComboBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const bool focused = hasFocus();
    DrawDriveEntry(painter, selectedEntry_, field, focused, focused);
}

void TDriveComboBox::showEvent(QShowEvent* event) {
    // The first showing stands for the creation of the native list control.
    if (!created_) {
        created_ = true;
        RebuildDriveList();
        SelectDrive(selectedDrive_);
    }
    QComboBox::showEvent(event);
}

void TDriveComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateItemHeight();
        if (created_) {
            RebuildDriveList();
            SelectDrive(selectedDrive_);
        }
    }
}

void TDriveComboBox::SetSelectedEntry(int index) {
    selectedEntry_ = index;
    setCurrentIndex(index);
    update();
}

void TDriveComboBox::UserPicked(int index) {
    if (index == FolderChooserEntry()) {
        SetSelectedEntry(selectedEntry_);
        if (OnChooseFolder) {
            OnChooseFolder();
        }
        return;
    }
    if (index == selectedEntry_) {
        return;
    }
    selectedEntry_ = index;
    if (OnClick) {
        OnClick();
    }
    if (selectedEntry_ >= 0 && selectedEntry_ < static_cast<int>(entries_.size())) {
        SelectDrive(entries_[selectedEntry_].Text.front());
    }
}

}  // namespace zelk
