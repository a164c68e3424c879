#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <string>

#include "FoundationTestFolder.h"
#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/EventJournal.h"
#include "platform/foundation/ExecutablePath.h"
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

TEST(BundleTest, TheProgramFindsShareFolderInstalledOrInItsBuildTree) {
  FoundationTestFolder folder;
  // Installed: <prefix>/bin/program finds <prefix>/share/<name>.
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("usr/share/host-app")));
  EXPECT_EQ(ExecutablePath::shareFolderNear(folder.file("usr/bin/host-app"), "host-app"),
            folder.file("usr/share/host-app"));
  // In a build tree the program lies deeper; the nearest share/ wins.
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("build/share/host-app")));
  EXPECT_EQ(ExecutablePath::shareFolderNear(folder.file("build/tools/server/host-app"), "host-app"),
            folder.file("build/share/host-app"));
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("build/tools/share/host-app")));
  EXPECT_EQ(ExecutablePath::shareFolderNear(folder.file("build/tools/server/host-app"), "host-app"),
            folder.file("build/tools/share/host-app"));
  // A file of that name is not a folder, and other names find nothing.
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder.file("opt/share")));
  ASSERT_TRUE(FileManager::writeContentsAtomically(folder.file("opt/share/host-app"), "x"));
  EXPECT_FALSE(ExecutablePath::shareFolderNear(folder.file("opt/bin/host-app"), "host-app"));
  EXPECT_FALSE(ExecutablePath::shareFolderNear(folder.file("usr/bin/host-app"), "other-app"));
  // More than three folders up is too far to belong to the program.
  EXPECT_FALSE(ExecutablePath::shareFolderNear(folder.file("usr/a/b/c/d/host-app"), "host-app"));
  EXPECT_FALSE(ExecutablePath::shareFolderNear("", "host-app"));
  EXPECT_FALSE(ExecutablePath::path().empty());
}

TEST(AppIdentityTest, AProgramThatGivesNoIdentityIsNamedAfterItsExecutable) {
  const AppIdentity tool = AppIdentity::fromExecutableName("pennant-tool.2");
  EXPECT_EQ(tool.name, "pennant-tool.2");
  EXPECT_EQ(tool.fileName, "pennant-tool.2");
  EXPECT_EQ(tool.environmentPrefix, "PENNANT_TOOL_2_");
  EXPECT_EQ(tool.environmentVariable("HOME"), "PENNANT_TOOL_2_HOME");
  EXPECT_NE(tool.deviceIdentifierSalt, AppIdentity::fromExecutableName("other-tool").deviceIdentifierSalt);
  // This test program gave none.
  EXPECT_EQ(AppIdentity::current().fileName, ExecutablePath::fileName());
  // Each app's salt gives its own identifier for the same machine.
  const std::string machineId = "0123456789abcdef0123456789abcdef";
  const auto ours = Device::identifierFromMachineId(machineId);
  testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
  EXPECT_NE(Device::identifierFromMachineId(machineId), ours);
}

TEST(BundleTest, EnvironmentChoosesTheFolderEvenWhenItIsMissing) {
  FoundationTestFolder folder;
  ASSERT_TRUE(FileManager::writeContentsAtomically(folder.file("Phrase.wav"), "RIFF"));
  testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
  ::setenv("HOSTAPP_BUNDLE_DIR", folder.path().c_str(), 1);
  EXPECT_EQ(Bundle::mainBundle().pathForResourceOfType("Phrase", "wav"), folder.file("Phrase.wav"));
  ::setenv("HOSTAPP_BUNDLE_DIR", folder.file("gone").c_str(), 1);
  EXPECT_EQ(Bundle::mainBundle().resourcePath(), folder.file("gone"));
  EXPECT_FALSE(Bundle::mainBundle().pathForResourceOfType("Phrase", "wav"));
  ::unsetenv("HOSTAPP_BUNDLE_DIR");
  EXPECT_NE(Bundle::mainBundle().resourcePath(), folder.path());
}

TEST(BundleTest, AMissingResourceIsReportedOnceNamingTheFileAndWhereItLooked) {
  FoundationTestFolder folder;
  testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
  auto journal = EventJournal::openAtPath(folder.file("events.jsonl"));
  ASSERT_TRUE(journal);
  EventJournal::setCurrent(journal);
  Bundle& bundle = Bundle::mainBundle();
  bundle.setResourcePath(folder.file("bundle"));
  EXPECT_FALSE(bundle.pathForResourceOfType("Missing1", "wav"));
  EXPECT_FALSE(bundle.pathForResourceOfType("Missing1", "wav"));
  EXPECT_FALSE(bundle.pathForResourceOfType("../escape", "wav")) << "refused, not looked for";
  // With no folder at all the message lists every place searched.
  bundle.setResourcePath(std::nullopt);
  ::unsetenv("HOSTAPP_BUNDLE_DIR");
  EXPECT_FALSE(bundle.pathForResourceOfType("Missing2", "png"));
  EventJournal::setCurrent(nullptr);

  const auto lines = FileManager::contentsAtPath(folder.file("events.jsonl")).value_or("");
  const std::string notInFolder = "Missing resource \\\"Missing1.wav\\\": not in " + folder.file("bundle");
  EXPECT_NE(lines.find(notInFolder), std::string::npos) << lines;
  EXPECT_EQ(lines.find(notInFolder, lines.find(notInFolder) + 1), std::string::npos) << "once: " << lines;
  EXPECT_EQ(lines.find("escape"), std::string::npos) << lines;
  EXPECT_NE(lines.find("Missing resource \\\"Missing2.png\\\": no bundle folder; looked in HOSTAPP_BUNDLE_DIR "
                       "(not set), "),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("/share/host-app"), std::string::npos) << lines;
}

}  // namespace
}  // namespace platform
