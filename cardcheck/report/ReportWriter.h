// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velnet::cardcheck {

class ReportAnswers;

// Writes the problem report: a fixed heading, the date, the selected NIC,
// the customer's answers, the NIC's detail items and the system section.
class ReportWriter
{
public:
    // A detail item of the selected NIC (name, value); nothing ends the list.
    using DetailSource = std::function<std::optional<std::pair<std::string, std::string>>(int)>;
    using SystemSection = std::function<void(std::string& out)>;

    struct Sources
    {
        std::string productName;
        DetailSource detail;
        SystemSection systemSection;
        std::tm date{};
    };

    enum class Result
    {
        Written,
        OpenFailed,
        WriteFailed
    };

    // Breaks lines longer than 69 characters, at the line's last blank when
    // it has one, otherwise before the 70th character.
    static std::string wrap(std::string_view text);
    // The date as the report heading gives it: "Tuesday, December 08, 2026".
    static std::string formatDate(const std::tm& date);
    // The local date now.
    static std::tm today();

    // The whole report text.
    static std::string compose(const ReportAnswers& answers, const Sources& sources);

    // Creates the file at `path`, composes the report and writes it. A file
    // that cannot be created draws its message and changes nothing. Once the
    // file is created its path becomes the report path, even if writing then
    // fails; a failed write draws its message and leaves the answers
    // modified, a successful one makes them count as reported.
    static Result write(const std::string& path, ReportAnswers& answers, const Sources& sources);

    // The file of the last report written in this run (kept in ProgramState);
    // empty before the first.
    static const std::string& reportPath();
    static void setReportPath(const std::string& path);
};

} // namespace velnet::cardcheck
