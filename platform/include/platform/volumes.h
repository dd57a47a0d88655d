// Drives as DOS sees them: the system drive C: and the DOS form of paths below it, the floppy
// drive A:, the facts of a volume, and the file system a folder lies on. Every call returns one
// of the error numbers of platform/files.h (0 on success).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// --- The system drive: C: is the folder SystemRootFolder() of platform/system.h (W).

// The DOS form of a path below W: "C:\" and the rest with backslashes, in upper case, e.g.
// W/tools/memtest.exe gives C:\TOOLS\MEMTEST.EXE and W itself C:\. A relative path counts from
// the current folder; symbolic links are followed where the path exists. A path outside W
// gives kErrorBadPathname, a part below W that is not a DOS 8.3 name kErrorInvalidName.
int DosPathFromLinux(const std::string& linuxPath, std::string& dosPath);

// The Linux path that a DOS path on C: names, as DOS would find it: each part matches an
// existing entry ignoring case, and the parts from the first one that does not exist on are
// kept as written. "C:\" (or "c:/") starts the path; "." and ".." are folded. Another drive,
// a path without a drive or one that climbs above C:\ gives kErrorBadPathname.
int LinuxPathFromDos(const std::string& dosPath, std::string& linuxPath);

// A name DOS can hold: one to eight characters, optionally a dot and one to three more, of
// letters (either case), digits, bytes above 127 and ! # $ % & ' ( ) - @ ^ _ ` { } ~.
bool IsDosShortName(std::string_view name);

// --- The floppy drive.

inline constexpr const char* kFloppyDriveRoot = "A:\\";

// The device behind drive A:: HALVEX_FLOPPY when set (an image file or a block device; a path
// where nothing is gives kErrorFileNotFound, anything else kErrorInvalidParameter), else the
// first removable block device holding a FAT file system (FindRemovableFatDevice on /sys/block
// and /dev); kErrorFileNotFound when there is none.
int FindFloppyDevice(std::string& device);

// The scan behind FindFloppyDevice, with the folders given so that tests can lay out their own:
// disks in sysBlockFolder (in name order) whose "removable" file says 1 and whose "size" is not
// 0; of each, its partitions (sub-folders with a "partition" file) and then the disk itself;
// the first whose device file in deviceFolder holds FAT wins.
int FindRemovableFatDevice(const std::string& sysBlockFolder, const std::string& deviceFolder,
                           std::string& device);

// --- Volume facts, read with libblkid from an image file or a block device.

struct VolumeInformation
{
  std::string fileSystemName;     // "FAT" (FAT12 and FAT16), "FAT32", "exFAT", "NTFS", "CDFS",
                                  // else libblkid's name of the type (e.g. "ext2")
  std::uint32_t serialNumber = 0; // the last eight hex digits of the volume's UUID; 0 without
  std::string label;
};

// kErrorNotReady when the device cannot be read (missing image, drive without a medium),
// kErrorAccessDenied without read permission, kErrorUnrecognizedVolume when no file system is
// found on it.
int GetVolumeInformation(const std::string& device, VolumeInformation& info);

// "FAT", "FAT16" or "FAT32", ignoring case: the file systems DOS can boot from and read.
bool IsFatFileSystemName(std::string_view name);

// --- The file system of a folder, by statfs: "FAT" for every FAT kind, else a short name of
// the Linux file system ("ext4", "tmpfs", "btrfs", ...; "0x" and the magic number when
// unknown).
int GetFolderFileSystemName(const std::string& folder, std::string& name);

} // namespace platform
