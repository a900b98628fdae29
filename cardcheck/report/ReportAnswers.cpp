#include "ReportAnswers.h"

#include "ReportStrings.h"

namespace cardcheck {

namespace {

struct Layout
{
    ReportAnswers::Kind kind;
    std::int32_t controlId;
    std::int32_t formatId;
};

// Kind, the control that edits the answer and the string that formats its
// report line, by answer index.
constexpr std::array<Layout, ReportAnswers::Count> kLayout{{
    {ReportAnswers::Kind::Text, 1036, IDS_FMT_COMPANY_NAME},
    {ReportAnswers::Kind::Text, 1037, IDS_FMT_ADDRESS},
    {ReportAnswers::Kind::Text, 1038, IDS_FMT_CONTACT_NAME},
    {ReportAnswers::Kind::Text, 1039, IDS_FMT_CONTACT_PHONE},
    {ReportAnswers::Kind::Text, 1067, IDS_FMT_CONTACT_EMAIL},
    {ReportAnswers::Kind::Text, 1069, IDS_FMT_CASE_NUMBER},
    {ReportAnswers::Kind::Text, 1042, IDS_FMT_PROBLEM_DESCRIPTION},
    {ReportAnswers::Kind::Choice, 1043, IDS_FMT_REPRODUCIBLE},
    {ReportAnswers::Kind::Choice, 1044, IDS_FMT_OPERATING_SYSTEM},
    {ReportAnswers::Kind::Choice, 1058, IDS_FMT_MACHINE_USAGE},
    {ReportAnswers::Kind::Choice, 1059, IDS_FMT_CPU_TYPE},
    {ReportAnswers::Kind::Text, 1068, IDS_FMT_MODEL_TYPE},
    {ReportAnswers::Kind::Text, 1047, IDS_FMT_NETWORK_OS},
    {ReportAnswers::Kind::Text, 1069, IDS_FMT_PCI_SLOTS},
    {ReportAnswers::Kind::Text, 1070, IDS_FMT_BUSMASTERING_SLOTS},
    {ReportAnswers::Kind::Text, 1048, IDS_FMT_SPEED},
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
        answers_[i] = {kLayout[i].kind, kLayout[i].controlId, kLayout[i].formatId, {}};
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

ReportAnswers& reportAnswers()
{
    static ReportAnswers answers;
    return answers;
}

} // namespace cardcheck
