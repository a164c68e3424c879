#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <string>

#include "FoundationTestFolder.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Sha256.h"
#include "tests/support/ScopedAppIdentity.h"

namespace platform {
namespace {

using testing::FoundationTestFolder;

TEST(Sha256Test, KnownDigests) {
  EXPECT_EQ(Sha256::hexDigest(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::hexDigest("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Two blocks, and a length that leaves no room for the bit count.
  EXPECT_EQ(Sha256::hexDigest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256::hexDigest(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(DeviceTest, NamesComeFromUname) {
  utsname names{};
  ASSERT_EQ(::uname(&names), 0);
  const Device& device = Device::currentDevice();
  EXPECT_EQ(device.model(), "Linux PC");
  EXPECT_EQ(device.systemName(), names.sysname);
  EXPECT_EQ(device.machine(), names.machine);
  const std::string version = device.systemVersion();
  EXPECT_FALSE(version.empty());
  EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos);
  EXPECT_TRUE(std::string(names.release).starts_with(version));
}

TEST(DeviceTest, VersionIsTheLeadingDottedNumbers) {
  EXPECT_EQ(Device::leadingVersionNumbers("6.1.0-18-amd64"), "6.1.0");
  EXPECT_EQ(Device::leadingVersionNumbers("5.15.0.rc1"), "5.15.0");
  EXPECT_EQ(Device::leadingVersionNumbers("4.19."), "4.19");
  EXPECT_EQ(Device::leadingVersionNumbers("rolling"), "");
}

TEST(DeviceTest, IdentifierIsDerivedNeverRaw) {
  const std::string machineId = "0123456789abcdef0123456789abcdef";
  const auto identifier = Device::identifierFromMachineId(machineId + "\n");
  ASSERT_TRUE(identifier);
  EXPECT_EQ(identifier->size(), 40u);
  EXPECT_EQ(identifier->find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(identifier->find(machineId.substr(0, 8)), std::string::npos);
  EXPECT_EQ(identifier, Device::identifierFromMachineId(machineId));
  EXPECT_NE(identifier, Device::identifierFromMachineId("fedcba9876543210fedcba9876543210"));
  EXPECT_NE(*identifier, Sha256::hexDigest(machineId).substr(0, 40));
  EXPECT_FALSE(Device::identifierFromMachineId(""));
  EXPECT_FALSE(Device::identifierFromMachineId(" \n"));
  EXPECT_FALSE(Device::identifierFromMachineId("uninitialized\n"));
}

TEST(DeviceTest, IdentifierSourcesAndOverrides) {
  FoundationTestFolder folder;
  Device& device = Device::currentDevice();
  const std::string empty = folder.file("empty-id");
  const std::string real = folder.file("machine-id");
  ASSERT_TRUE(FileManager::writeContentsAtomically(empty, "\n"));
  ASSERT_TRUE(FileManager::writeContentsAtomically(real, "00112233445566778899aabbccddeeff\n"));

  device.setMachineIdPaths({folder.file("absent"), empty, real});
  EXPECT_EQ(device.uniqueIdentifier(),
            Device::identifierFromMachineId("00112233445566778899aabbccddeeff"));
  device.setMachineIdPaths({folder.file("absent"), empty});
  EXPECT_FALSE(device.uniqueIdentifier());

  device.setUniqueIdentifier("chosen-id");
  EXPECT_EQ(device.uniqueIdentifier(), "chosen-id");
  device.setUniqueIdentifier(std::nullopt);
  device.setMachineIdPaths({real});
  EXPECT_FALSE(device.uniqueIdentifier());
  device.resetUniqueIdentifier();
  EXPECT_TRUE(device.uniqueIdentifier());

  device.setMachineIdPaths({"/etc/machine-id", "/var/lib/dbus/machine-id"});
}

TEST(BundleTest, FindsResourcesInItsFolder) {
  FoundationTestFolder folder;
  ASSERT_TRUE(FileManager::writeContentsAtomically(folder.file("Pressed.png"), "png"));
  ASSERT_TRUE(FileManager::writeContentsAtomically(folder.file("README"), "x"));
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("sounds.wav")));
  Bundle& bundle = Bundle::mainBundle();
  bundle.setResourcePath(folder.path());
  EXPECT_EQ(bundle.resourcePath(), folder.path());
  EXPECT_EQ(bundle.pathForResourceOfType("Pressed", "png"), folder.file("Pressed.png"));
  EXPECT_EQ(bundle.pathForResourceOfType("README", ""), folder.file("README"));
  EXPECT_FALSE(bundle.pathForResourceOfType("Pressed", "jpg"));
  EXPECT_FALSE(bundle.pathForResourceOfType("sounds", "wav"));  // a folder
  EXPECT_FALSE(bundle.pathForResourceOfType("../" + folder.path().substr(folder.path().rfind('/') + 1) + "/Pressed", "png"));
  EXPECT_FALSE(bundle.pathForResourceOfType(folder.file("Pressed"), "png"));
  EXPECT_FALSE(bundle.pathForResourceOfType("", ""));
  bundle.setResourcePath(std::nullopt);
}

TEST(BundleTest, AssetsNextToTheExecutableOrAbove) {
  FoundationTestFolder folder;
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("src/assets")));
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("src/build/Classes/assets-not")));
  EXPECT_EQ(Bundle::resourcePathNearExecutable(folder.file("src/build/Classes/vorla-button")),
            folder.file("src/assets"));
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("src/build/Classes/assets")));
  EXPECT_EQ(Bundle::resourcePathNearExecutable(folder.file("src/build/Classes/vorla-button")),
            folder.file("src/build/Classes/assets"));
  // More than three levels up is too far to be this app's tree.
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("src/a/b/c/d")));
  EXPECT_EQ(Bundle::resourcePathNearExecutable(folder.file("src/a/b/c/d/exe")), "");
}

TEST(BundleTest, EnvironmentChoosesTheFolder) {
  FoundationTestFolder folder;
  ASSERT_TRUE(FileManager::writeContentsAtomically(folder.file("ThatWasVorla.wav"), "RIFF"));
  testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
  ::setenv("HOSTAPP_BUNDLE_DIR", folder.path().c_str(), 1);
  EXPECT_EQ(Bundle::mainBundle().pathForResourceOfType("ThatWasVorla", "wav"),
            folder.file("ThatWasVorla.wav"));
  ::unsetenv("HOSTAPP_BUNDLE_DIR");
  EXPECT_NE(Bundle::mainBundle().resourcePath(), folder.path());
}

}  // namespace
}  // namespace platform
