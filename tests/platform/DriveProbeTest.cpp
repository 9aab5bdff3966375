// Optical discs: a folder's drive kind from the type of the file system
// that holds it, and the discs from the mount table. A fake table and a
// fake file-system reader stand for discs this machine does not have.
#include "platform/DriveProbe.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/MachineInfo.h"
#include "platform/PathResolver.h"

namespace orrivel::platform {
namespace {

class DriveProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::path(::testing::TempDir()) / ("orrivel-probe-" + std::to_string(::getpid()));
    for (const char* folder : {"cd", "dvd", "disk"}) std::filesystem::create_directories(root_ / folder);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::string Folder(const char* name) { return (root_ / name).string(); }
  std::filesystem::path root_;
};

TEST_F(DriveProbeTest, AFolderIsOpticalWhenItsFileSystemIsIso9660OrUdf) {
  const std::map<std::string, uint64_t> types = {
      {Folder("cd"), kIso9660FileSystem}, {Folder("dvd"), kUdfFileSystem}, {Folder("disk"), 0xEF53}};
  DriveProbe probe;
  probe.readFileSystemType = [&types](const std::string& path, uint64_t* type) {
    const auto it = types.find(path);
    if (it == types.end()) return false;
    *type = it->second;
    return true;
  };
  ScopedDriveProbe scope(probe);
  EXPECT_EQ(HostFolderDriveKind(Folder("cd")), DriveKind::CdRom);
  EXPECT_EQ(HostFolderDriveKind(Folder("dvd")), DriveKind::CdRom);
  EXPECT_EQ(HostFolderDriveKind(Folder("disk")), DriveKind::Fixed);
  EXPECT_EQ(HostFolderDriveKind(Folder("unread")), DriveKind::Unknown);
  EXPECT_EQ(HostFolderDriveKind(""), DriveKind::Unknown);
  // The engine names folders in its internal form, ending with a separator.
  EXPECT_EQ(FolderDriveKind(*ToInternalPath(Folder("cd")) + "\\"), DriveKind::CdRom);
  EXPECT_EQ(FolderDriveKind(*ToInternalPath(Folder("disk")) + "\\"), DriveKind::Fixed);
  EXPECT_EQ(FolderDriveKind(*ToInternalPath(Folder("missing")) + "\\"), DriveKind::Unknown);
}

TEST_F(DriveProbeTest, TheMachinesOwnReaderSeesAHardDisk) {
  // No test machine runs from a disc; the reader must still read the type.
  EXPECT_EQ(HostFolderDriveKind(Folder("disk")), DriveKind::Fixed);
  EXPECT_EQ(HostFolderDriveKind(Folder("missing")), DriveKind::Unknown);
}

TEST_F(DriveProbeTest, TheDiscsAreTheMountTablesOpticalEntries) {
  const std::string table = (root_ / "mounts").string();
  std::ofstream(table) << "proc /proc proc rw 0 0\n"
                       << "/dev/sda1 / ext4 rw 0 0\n"
                       << "/dev/sr0 /media/My\\040Disc iso9660 ro,nosuid 0 0\n"
                       << "broken line\n"
                       << "/dev/sr1 /media/dvd udf ro 0 0\n"
                       << "/dev/sr0 /media/My\\040Disc iso9660 ro 0 0\n";
  DriveProbe probe;
  probe.mountTable = table;
  ScopedDriveProbe scope(probe);
  EXPECT_EQ(OpticalMountPoints(), (std::vector<std::string>{"/media/My Disc", "/media/dvd"}));
  // The drive list of the information texts reads the same table.
  const std::vector<MountedDrive> drives = ListDrives();
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[1].root, "/media/My Disc");
  EXPECT_EQ(drives[1].kind, DriveKind::CdRom);
  EXPECT_EQ(drives[2].kind, DriveKind::CdRom);

  probe.mountTable = (root_ / "no-such-table").string();
  SetDriveProbe(&probe);
  EXPECT_TRUE(OpticalMountPoints().empty());
}

}  // namespace
}  // namespace orrivel::platform
