// SPDX-License-Identifier: MIT
#include "cardcheck/report/ReportWriter.h"

#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "common/text/FormatMessage.h"

#include <cstdio>
#include <memory>

namespace velnet::cardcheck {

using velnet::formatMessage;

namespace {

constexpr int kWrapColumn = 69;

const char* const kHeading = "                  CORVANE PROBLEM REPORT";

// Where the report goes: the support desk's postal address and fax number.
const char* const kAddressBlock = "To:  Corvane Customer Support\n"
                                  "     2400 Harbor View Drive, Suite 310\n"
                                  "     Anytown, CA 99999\n"
                                  "     Fax: +1 (202) 555-0143";

// Which answers form each paragraph of the report, in writing order.
constexpr int kCustomer[] = {ReportAnswers::CompanyName, ReportAnswers::Address,
                             ReportAnswers::ContactName, ReportAnswers::ContactPhone,
                             ReportAnswers::ContactEmail};
constexpr int kComputer[] = {ReportAnswers::ManufacturerAndModel,
                             ReportAnswers::Usage,
                             ReportAnswers::CpuType,
                             ReportAnswers::PcOperatingSystem,
                             ReportAnswers::NetworkOperatingSystem,
                             ReportAnswers::NicSlot,
                             ReportAnswers::BusMasteringSlots,
                             ReportAnswers::ProcessorSpeed};
constexpr int kProblem[] = {ReportAnswers::ProblemDescription, ReportAnswers::CaseNumber,
                            ReportAnswers::Reproducible};

template <std::size_t N>
void writeAnswers(std::string& out, const ReportAnswers& answers, const int (&which)[N])
{
    for (int index : which) {
        out += formatMessage(StringTable::load(answers[index].formatId), {answers[index].value});
        out += "\n";
    }
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::string ReportWriter::wrap(std::string_view text)
{
    std::string s(text);
    int column = 0;
    std::optional<std::size_t> lastBlank;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n') {
            column = 0;
            lastBlank.reset();
            continue;
        }
        // The bytes after the first of a UTF-8 character belong to it: they
        // take no column and no line break comes before them.
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            continue;
        if (s[i] == '\r' || s[i] == ' ') {
            s[i] = ' ';
            lastBlank = i;
        }
        if (column < kWrapColumn) {
            ++column;
            continue;
        }
        // The 70th character of a line.
        if (lastBlank) {
            s[*lastBlank] = '\n';
            i = *lastBlank;
        } else {
            s.insert(i, 1, '\n');
        }
        column = 0;
        lastBlank.reset();
    }
    return s;
}

std::string ReportWriter::formatDate(const std::tm& date)
{
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%A, %B %d, %Y", &date);
    return std::string(buffer, n);
}

std::tm ReportWriter::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

std::string ReportWriter::compose(const ReportAnswers& answers, const Sources& sources)
{
    std::string out = kHeading;
    out += "\n\n";
    out += wrap(kAddressBlock);
    out += "\n\n";
    out += wrap(StringTable::load(ids::Title));
    out += "\n";
    out += formatDate(sources.date);
    out += "\n\n";
    out += formatMessage("Product:  %1", {sources.productName});
    out += "\n";
    writeAnswers(out, answers, kCustomer);
    out += "\n";
    writeAnswers(out, answers, kComputer);
    out += "\n";
    writeAnswers(out, answers, kProblem);
    out += "\n\n";
    out += "Adapter Configuration:\n";
    for (int i = 0; sources.detail; ++i) {
        const auto item = sources.detail(i);
        if (!item)
            break;
        out += formatMessage("%1  %2", {item->first, item->second});
        out += "\n";
    }
    if (sources.systemSection)
        sources.systemSection(out);
    return out;
}

ReportWriter::Result ReportWriter::write(const std::string& path, ReportAnswers& answers,
                                         const Sources& sources)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file) {
        appMessageBox(StringTable::format(ids::ErrorOpeningFile, {path}));
        return Result::OpenFailed;
    }
    setReportPath(path);
    const std::string text = compose(answers, sources);
    bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    written = std::fflush(file.get()) == 0 && written;
    // A full disk or a vanished medium may only show when the file is closed.
    written = std::fclose(file.release()) == 0 && written;
    if (!written) {
        appMessageBox(formatMessage("Error writing the file %1.", {path}));
        return Result::WriteFailed;
    }
    answers.setModified(false);
    return Result::Written;
}

const std::string& ReportWriter::reportPath()
{
    return ProgramState::current().reportPath;
}

void ReportWriter::setReportPath(const std::string& path)
{
    ProgramState::current().reportPath = path;
}

} // namespace velnet::cardcheck
