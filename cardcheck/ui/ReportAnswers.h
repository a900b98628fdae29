// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velnet::cardcheck {

// The customer's answers to the problem-report wizard. One object lives for
// the whole run, so that a second wizard run offers what was typed in the
// first; the report writer reads it.
class ReportAnswers
{
public:
    enum class Kind : std::int32_t
    {
        Text = 0,
        Choice = 1
    };

    struct Answer
    {
        Kind kind = Kind::Text;
        std::int32_t controlId = 0;
        std::int32_t formatId = 0; // string id of the answer's report line
        std::string value;
    };

    enum Index
    {
        CompanyName,
        Address,
        ContactName,
        ContactPhone,
        ContactEmail,
        CaseNumber,
        ProblemDescription,
        Reproducible,
        PcOperatingSystem,
        Usage,
        CpuType,
        ManufacturerAndModel,
        NetworkOperatingSystem,
        NicSlot,
        BusMasteringSlots,
        ProcessorSpeed,
        Count
    };

    ReportAnswers();

    // 1 from creation until a report is written, and again after a changed answer.
    bool modified() const { return modified_ != 0; }
    void setModified(bool modified) { modified_ = modified ? 1 : 0; }

    const Answer& operator[](int index) const
    {
        return answers_.at(static_cast<std::size_t>(index));
    }
    const std::string& value(int index) const { return (*this)[index].value; }

    // Keeps a text as the answer; a text that differs from the stored one
    // (exact comparison) marks the answers as modified.
    void store(int index, const std::string& text);
    // Sets a value without touching the modified flag (defaults, restoring).
    void setValue(int index, const std::string& text);

    // Whether the wizard refuses to go on while the answer is empty.
    static bool isRequired(int index);

    // Back to the state at program start.
    void reset();

private:
    std::int32_t modified_ = 1;
    std::array<Answer, Count> answers_;
};

} // namespace velnet::cardcheck
