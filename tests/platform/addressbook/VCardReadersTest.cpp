// Widely used vCard programs that nobody here wrote read the folder this
// book writes: khard (the address-book command line) and the vobject
// library, run as real processes on a real folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "AddressBookTestSupport.h"
#include "platform/foundation/Sha256.h"

namespace platform::addressbook {
namespace {

using testing::organization;

const std::string kAwkwardName = "Sunrise Bakery; Bread, Cakes \\ Co.";
const std::string kUnicodeName = "Café Ünïcode 日本";

struct ProcessRun {
  int status = -1;
  std::string output;
};

ProcessRun run(const std::string& command) {
  ProcessRun result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer{};
  while (const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe)) result.output.append(buffer.data(), count);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string python() { return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

class VCardReaders : public ::testing::Test {
 protected:
  void SetUp() override {
    auto book = AddressBook::createAtPath(folder_.book());
    auto awkward = organization(kAwkwardName, testing::picture());
    awkward->setValue(Property::Note, PropertyValue(std::string("Line one\nLine two; with, punctuation")));
    book->addRecord(awkward);
    book->addRecord(organization(kUnicodeName));
    ASSERT_TRUE(book->save());
    folder_.write("someone.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Jo;;;\r\nFN:Jo Baker\r\nEND:VCARD\r\n");

    config_ = folder_.path() + "/khard.conf";
    std::ofstream(config_) << "[addressbooks]\n[[book]]\npath = " << folder_.book()
                           << "\n[general]\ndefault_action = list\n[contact table]\ndisplay = formatted_name\n";
  }

  ProcessRun khard(const std::string& arguments) const {
    return run("HOME=" + folder_.path() + " XDG_CONFIG_HOME=" + folder_.path() + " khard -c " + config_ + " " +
               arguments);
  }

  testing::TestFolder folder_;
  std::string config_;
};

void expectAll(const ProcessRun& run, const std::vector<std::string>& texts) {
  EXPECT_EQ(run.status, 0) << run.output;
  for (const auto& text : texts) EXPECT_NE(run.output.find(text), std::string::npos) << text << " in\n" << run.output;
}

TEST_F(VCardReaders, KhardListsEntriesPhonesWithLabelsAndAddresses) {
  expectAll(khard("list"), {kAwkwardName, kUnicodeName, "Jo Baker", "organisation"});
  const ProcessRun phones = khard("phone");
  expectAll(phones, {"work", "+1 555 555 0188", "cell", "+1 555 555 0199", "Night line", "+1 555 555 0100"});
  // Each number on the line of its own label.
  for (const auto& [label, number] : std::vector<std::pair<std::string, std::string>>{
           {"Night line", "+1 555 555 0100"}, {"cell", "+1 555 555 0199"}, {"work", "+1 555 555 0188"}}) {
    bool together = false;
    std::istringstream lines(phones.output);
    for (std::string line; std::getline(lines, line);) {
      together |= line.find(label) != std::string::npos && line.find(number) != std::string::npos;
    }
    EXPECT_TRUE(together) << label << " " << number << " in\n" << phones.output;
  }
  expectAll(khard("postaddress"), {"12 Mill Lane", "97477 Springfield", "OR, United States", "Warehouse",
                                   "3 Harbour Road", "Portland"});
  expectAll(khard("email"), {"work", "hello@bakery.example"});
  expectAll(khard("show \"Bread, Cakes\""), {"Organisation: " + kAwkwardName, "Kind: organisation",
                                             "Line one", "Line two; with, punctuation", "http://bakery.example/"});
}

TEST_F(VCardReaders, VobjectReadsEveryCardAndThePicture) {
  const std::string script = folder_.path() + "/read.py";
  std::ofstream(script) << R"(import base64, glob, hashlib, sys
import vobject, vobject.base
for path in sorted(glob.glob(sys.argv[1] + '/*.vcf')):
    text = open(path, encoding='utf-8').read()
    card = vobject.readOne(text)
    print('card', card.fn.value, '|', card.contents.get('kind', [None])[0] and card.kind.value)
    labels = {c.group: c.value for c in card.getChildren() if c.name == 'X-ABLABEL'}
    for tel in card.contents.get('tel', []):
        print('tel', tel.value, '|', ','.join(tel.params.get('TYPE', [])) or labels.get(tel.group))
    for adr in card.contents.get('adr', []):
        print('adr', adr.value.street, '|', adr.value.city, '|', adr.value.country)
    if 'photo' in card.contents:
        # vobject reads values as 3.0 text, which stops a data URI at its
        # comma; its own line parser gives the whole value.
        import io
        for line, number in vobject.base.getLogicalLines(io.StringIO(text)):
            name, params, value, group = vobject.base.parseLine(line, number)
            if name.upper() == 'PHOTO':
                head, data = value.split(',', 1)
                print('photo', head, hashlib.sha256(base64.b64decode(data)).hexdigest())
)";
  const ProcessRun read = run(python() + " " + script + " " + folder_.book());
  expectAll(read, {"card " + kAwkwardName + " | org", "card " + kUnicodeName + " | org", "card Jo Baker",
                   "tel +1 555 555 0188 | work", "tel +1 555 555 0199 | cell", "tel +1 555 555 0100 | Night line",
                   "adr 12 Mill Lane | Springfield | United States", "adr 3 Harbour Road | Portland | ",
                   "photo data:image/png;base64 " + Sha256::hexDigest(testing::picture())});
}

}  // namespace
}  // namespace platform::addressbook
