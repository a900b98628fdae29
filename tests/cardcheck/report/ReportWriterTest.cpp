// SPDX-License-Identifier: MIT
#include "cardcheck/report/ReportWriter.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/report/SelectedNic.h"
#include "cardcheck/report/SystemInfo.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "common/platform/OsVersion.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/GTestResponder.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

using velnet::cardcheck::ReportAnswers;
using velnet::cardcheck::ReportWriter;
using velnet::test::TempDir;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::tm fixedDate()
{
    std::tm date{};
    date.tm_year = 2026 - 1900;
    date.tm_mon = 11;
    date.tm_mday = 8;
    date.tm_wday = 2;
    date.tm_hour = 9;
    return date;
}

void answerEverything(ReportAnswers& answers)
{
    const std::pair<int, const char*> typed[] = {
        {ReportAnswers::CompanyName, "Example Freight Ltd."},
        {ReportAnswers::Address, "12 Quay Street, Port Example"},
        {ReportAnswers::ContactName, "Dana Whitfield"},
        {ReportAnswers::ContactPhone, "+1 202 555 0175"},
        {ReportAnswers::ContactEmail, "dana@freight.example.org"},
        {ReportAnswers::CaseNumber, "?"},
        {ReportAnswers::ProblemDescription,
         "The link drops every few minutes under load.\nNo error message is shown."},
        {ReportAnswers::Reproducible, "Intermittent"},
        {ReportAnswers::PcOperatingSystem, "Windows 95"},
        {ReportAnswers::Usage, "Server"},
        {ReportAnswers::CpuType, "Pentium Pro (P6)"},
        {ReportAnswers::ManufacturerAndModel, "Example Systems 6200"},
        {ReportAnswers::NetworkOperatingSystem, "Novell NetWare 4.x server"},
        {ReportAnswers::NicSlot, "2"},
        {ReportAnswers::BusMasteringSlots, "1, 2, 3"},
        {ReportAnswers::ProcessorSpeed, "200 MHz at 100% load"},
    };
    for (const auto& [index, text] : typed)
        answers.store(index, text);
}

ReportWriter::Sources detailSources(std::vector<std::pair<std::string, std::string>> items)
{
    ReportWriter::Sources sources;
    sources.productName = "Corvane Fast Velnet Server XL";
    sources.date = fixedDate();
    sources.detail = [items](int i) -> std::optional<std::pair<std::string, std::string>> {
        if (i < 0 || static_cast<std::size_t>(i) >= items.size())
            return std::nullopt;
        return items[static_cast<std::size_t>(i)];
    };
    return sources;
}

} // namespace

TEST(Wrap, BreaksAtTheLastBlankOrBeforeThe70thCharacter)
{
    // 66 characters, a blank, then a word that crosses column 69.
    const std::string heading = std::string(66, 'h') + " crossing the line";
    EXPECT_EQ(ReportWriter::wrap(heading), std::string(66, 'h') + "\ncrossing the line");

    const std::string word(100, 'w');
    const auto broken = lines(ReportWriter::wrap(word));
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_EQ(broken[0], std::string(69, 'w'));
    EXPECT_EQ(broken[1], std::string(31, 'w'));

    // Exactly 69 characters stay one line; a blank as the 70th character
    // becomes the line break itself.
    EXPECT_EQ(ReportWriter::wrap(std::string(69, 'x')), std::string(69, 'x'));
    EXPECT_EQ(ReportWriter::wrap(std::string(10, 'a') + " " + std::string(58, 'b') + " tail"),
              std::string(10, 'a') + " " + std::string(58, 'b') + "\ntail");

    // A line break starts counting again; a carriage return counts as a blank.
    EXPECT_EQ(ReportWriter::wrap(std::string(60, 'a') + "\n" + std::string(60, 'b')),
              std::string(60, 'a') + "\n" + std::string(60, 'b'));
    EXPECT_EQ(ReportWriter::wrap(std::string(60, 'a') + "\r" + std::string(20, 'b')),
              std::string(60, 'a') + "\n" + std::string(20, 'b'));

    // Several breaks in one text, each line at most 69 characters.
    std::string prose;
    for (int i = 0; i < 40; ++i)
        prose += "word" + std::to_string(i) + " ";
    for (const auto& line : lines(ReportWriter::wrap(prose)))
        EXPECT_LE(line.size(), 69u) << line;
}

TEST(Wrap, CountsCharactersNotBytes)
{
    // 100 two-byte characters: 69 and 31 characters, no character cut in two.
    std::string accents;
    for (int i = 0; i < 100; ++i)
        accents += "\u00e9";
    const auto broken = lines(ReportWriter::wrap(accents));
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_EQ(broken[0], accents.substr(0, 2 * 69));
    EXPECT_EQ(broken[1], accents.substr(2 * 69));

    // 69 characters of three bytes each stay one line.
    std::string euros;
    for (int i = 0; i < 69; ++i)
        euros += "\u20ac";
    EXPECT_EQ(ReportWriter::wrap(euros), euros);

    // A blank after 66 wide characters still breaks where the words meet.
    std::string words;
    for (int i = 0; i < 66; ++i)
        words += "\u00fc";
    EXPECT_EQ(ReportWriter::wrap(words + " M\u00fcnchen Stra\u00dfe"),
              words + "\nM\u00fcnchen Stra\u00dfe");
}

TEST(ReportWriter, GoldenReport)
{
    ReportAnswers answers;
    answerEverything(answers);
    // The NIC of a scenario, found and selected as at start-up.
    ::setenv("NICPORT_SCENARIO", velnet::test::fixturePath("report/report-nic.json").c_str(), 1);
    std::string error;
    ASSERT_EQ(velnet::cardcheck::StartupDiscovery::run(error, false), 1) << error;
    ReportWriter::Sources sources;
    sources.date = fixedDate();
    velnet::cardcheck::describeSelectedNic(sources);
    // The system section of the Windows 95 store fixture.
    TempDir dir;
    std::filesystem::copy_file(velnet::test::fixturePath("report/win95.reg"),
                               dir.file("store.reg"));
    const std::string guard = std::getenv("VELNET_REGISTRY") ? std::getenv("VELNET_REGISTRY") : "";
    ::setenv("VELNET_REGISTRY", dir.file("store.reg").c_str(), 1);
    velnet::registry::FileRegistry registry(dir.file("store.reg"));
    velnet::platform::FakeOsVersion os(velnet::platform::OsKind::Windows95);
    velnet::cardcheck::SystemInfo info(registry, os);
    sources.systemSection = [&](std::string& out) { info.writeSystemSection(out); };

    const auto result = ReportWriter::write(dir.file("vxreport.txt"), answers, sources);
    velnet::cardcheck::theAdapterLibrary()->putDriversBack();
    velnet::cardcheck::destroyAdapterLibrary();
    ::unsetenv("NICPORT_SCENARIO");
    ::setenv("VELNET_REGISTRY", guard.c_str(), 1);
    ASSERT_EQ(result, ReportWriter::Result::Written);
    const auto got = lines(velnet::test::readFile(dir.file("vxreport.txt")));
    const auto want =
        lines(velnet::test::readFile(velnet::test::fixturePath("report/golden-report.txt")));
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
        EXPECT_EQ(i < got.size() ? got[i] : "<missing>", i < want.size() ? want[i] : "<missing>")
            << "line " << i + 1;
    }
    EXPECT_FALSE(answers.modified());
    EXPECT_EQ(ReportWriter::reportPath(), dir.file("vxreport.txt"));
}

TEST(ReportWriter, TextsAreWrittenLiterallyAndNoDetailItemsLeaveOnlyTheHeading)
{
    ReportAnswers answers;
    answers.store(ReportAnswers::ProcessorSpeed, "100% %1 %% %n");
    answers.store(ReportAnswers::ContactName, "50%off");
    auto sources = detailSources({});
    sources.productName = "NIC %2";
    sources.systemSection = [](std::string& out) { out += "<system section>"; };
    const std::string text = ReportWriter::compose(answers, sources);
    EXPECT_NE(text.find("\nSpeed:  100% %1 %% %n\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nContact Name:  50%off\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nProduct:  NIC %2\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\n\n\nAdapter Configuration:\n<system section>")) << text;
}

TEST(ReportWriter, DetailItemsStopAtTheFirstFailure)
{
    ReportAnswers answers;
    auto sources = detailSources({{"A", "1"}, {"B", "2"}});
    int asked = 0;
    const auto inner = sources.detail;
    sources.detail = [&](int i) {
        ++asked;
        return inner(i);
    };
    const std::string text = ReportWriter::compose(answers, sources);
    EXPECT_TRUE(text.ends_with("Adapter Configuration:\nA  1\nB  2\n")) << text;
    EXPECT_EQ(asked, 3);
}

TEST(ReportWriter, FailuresToCreateOrWriteAreReportedAndKeepTheAnswersModified)
{
    ReportAnswers answers;
    answerEverything(answers);
    const auto sources = detailSources({{"Interrupt", "11"}});
    TempDir dir;
    ReportWriter::setReportPath("earlier.txt");
    {
        velnet::test::GTestResponder responder;
        const std::string missing = dir.file("no/such/folder/vxreport.txt");
        responder.expect("Error opening the file " + missing + ".");
        EXPECT_EQ(ReportWriter::write(missing, answers, sources), ReportWriter::Result::OpenFailed);
    }
    EXPECT_EQ(ReportWriter::reportPath(), "earlier.txt");
    EXPECT_TRUE(answers.modified());
    {
        // A device that accepts the file but has no room for its bytes.
        velnet::test::GTestResponder responder;
        responder.expect("Error writing the file /dev/full.");
        EXPECT_EQ(ReportWriter::write("/dev/full", answers, sources),
                  ReportWriter::Result::WriteFailed);
    }
    EXPECT_TRUE(answers.modified());
}

TEST(ReportWriter, APathLongerThan200CharactersIsKeptWhole)
{
    TempDir dir;
    std::string folder = dir.path();
    while (folder.size() < 260)
        folder += "/" + std::string(40, 'd');
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/vxreport.txt";
    ASSERT_GT(path.size(), 200u);
    ReportAnswers answers;
    ASSERT_EQ(ReportWriter::write(path, answers, detailSources({})), ReportWriter::Result::Written);
    EXPECT_EQ(ReportWriter::reportPath(), path);
    EXPECT_TRUE(
        velnet::test::readFile(path).starts_with("                  CORVANE PROBLEM REPORT\n\n"));
}

TEST(ReportAnswers, StoreMarksModifiedOnlyForADifferentText)
{
    ReportAnswers answers;
    EXPECT_TRUE(answers.modified()) << "the first report of a run is always written";
    answers.setModified(false);
    answers.store(ReportAnswers::Address, "");
    EXPECT_FALSE(answers.modified());
    answers.store(ReportAnswers::Address, "1 Main St");
    EXPECT_TRUE(answers.modified());
    answers.setModified(false);
    answers.store(ReportAnswers::Address, "1 Main St");
    EXPECT_FALSE(answers.modified());
    answers.store(ReportAnswers::Address, "1 Main st");
    EXPECT_TRUE(answers.modified());
    EXPECT_EQ(answers[ReportAnswers::Reproducible].kind, ReportAnswers::Kind::Choice);
    EXPECT_EQ(answers[ReportAnswers::Reproducible].controlId, 1043);
    EXPECT_EQ(answers[ReportAnswers::ProcessorSpeed].controlId, 1048);
}
