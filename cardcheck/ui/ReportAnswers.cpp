// SPDX-License-Identifier: MIT
#include "cardcheck/ui/ReportAnswers.h"

#include "cardcheck/resources/StringTable.h"

namespace velnet::cardcheck {

namespace {

struct Layout
{
    ReportAnswers::Kind kind;
    std::int32_t controlId;
};

// Kind and the control that edits the answer, by answer index; answer i's
// report line is formatted by string 112 + i.
constexpr std::array<Layout, ReportAnswers::Count> kLayout{{
    {ReportAnswers::Kind::Text, 1036},
    {ReportAnswers::Kind::Text, 1037},
    {ReportAnswers::Kind::Text, 1038},
    {ReportAnswers::Kind::Text, 1039},
    {ReportAnswers::Kind::Text, 1067},
    {ReportAnswers::Kind::Text, 1069},
    {ReportAnswers::Kind::Text, 1042},
    {ReportAnswers::Kind::Choice, 1043},
    {ReportAnswers::Kind::Choice, 1044},
    {ReportAnswers::Kind::Choice, 1058},
    {ReportAnswers::Kind::Choice, 1059},
    {ReportAnswers::Kind::Text, 1068},
    {ReportAnswers::Kind::Text, 1047},
    {ReportAnswers::Kind::Text, 1069},
    {ReportAnswers::Kind::Text, 1070},
    {ReportAnswers::Kind::Text, 1048},
}};

} // namespace

ReportAnswers::ReportAnswers()
{
    reset();
}

void ReportAnswers::reset()
{
    modified_ = 1;
    for (std::size_t i = 0; i < answers_.size(); ++i)
        answers_[i] = {kLayout[i].kind,
                       kLayout[i].controlId,
                       ids::ReportFormatFirst + static_cast<std::int32_t>(i),
                       {}};
}

void ReportAnswers::store(int index, const std::string& text)
{
    Answer& answer = answers_.at(static_cast<std::size_t>(index));
    if (answer.value != text)
        modified_ = 1;
    answer.value = text;
}

void ReportAnswers::setValue(int index, const std::string& text)
{
    answers_.at(static_cast<std::size_t>(index)).value = text;
}

bool ReportAnswers::isRequired(int index)
{
    return index != ContactEmail && index != CaseNumber;
}

} // namespace velnet::cardcheck
