#include "drives/DriveListReader.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/FolderVolume.h"
#include "platform/SystemVolumeSource.h"
#include "platform/VolumeTableReader.h"

namespace zelk {
namespace {

DriveImage ImageOf(DriveKind kind) {
    switch (kind) {
        case DriveKind::Removable:
            return DriveImage::Floppy;
        case DriveKind::Fixed:
            return DriveImage::Hard;
        case DriveKind::Network:
            return DriveImage::Network;
        case DriveKind::CdRom:
            return DriveImage::CdRom;
        case DriveKind::RamDisk:
            return DriveImage::Ram;
    }
    return DriveImage::Hard;
}

std::string TextOf(const Volume& volume, std::string letter) {
    if (AsciiToLower(volume.Letter) == FolderVolume::kLetter) {
        return letter + " " + DriveListReader::VolumeLabelText(volume);  // whatever holds it
    }
    switch (volume.Kind) {
        case DriveKind::Removable:
            return letter;  // no label: the medium is not asked
        case DriveKind::Network:
            return letter + " " + DriveListReader::NetworkNameText(volume);
        default:
            return letter + " " + DriveListReader::VolumeLabelText(volume);
    }
}

}  // namespace

DriveListReader::DriveListReader(std::shared_ptr<VolumeSource> source)
    : source_(source ? std::move(source) : std::make_shared<SystemVolumeSource>()) {}

char DriveListReader::CurrentDrive() {
    const VolumeTable table = ReadVolumeTable(*source_);
    const Volume* volume = table.VolumeOf(source_->CurrentDirectory());
    return volume != nullptr ? volume->Letter : 0;
}

std::vector<DriveEntry> DriveListReader::ReadEntries(TTextCase textCase) {
    auto table = std::make_shared<const VolumeTable>(
        folder_.empty() ? ReadVolumeTable(*source_)
                        : FolderVolume::With(ReadVolumeTable(*source_), folder_));
    InstallVolumeTable(table);
    std::vector<const Volume*> drives;
    for (const Volume& volume : table->Volumes()) {
        if (volume.Letter != 0) {
            drives.push_back(&volume);
        }
    }
    std::ranges::sort(drives, {}, &Volume::Letter);
    std::vector<DriveEntry> entries;
    for (const Volume* volume : drives) {
        const char letter = textCase == tcUpperCase ? AsciiToUpper(volume->Letter) : volume->Letter;
        entries.push_back({TextOf(*volume, {letter, ':'}), ImageOf(volume->Kind)});
    }
    return entries;
}

std::string DriveListReader::VolumeLabelText(const Volume& volume) {
    return "[" + volume.MountPoint + "]";
}

std::string DriveListReader::NetworkNameText(const Volume& volume) {
    return volume.Source;
}

}  // namespace zelk
