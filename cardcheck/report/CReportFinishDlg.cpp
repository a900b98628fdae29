// SPDX-License-Identifier: MIT
#include "cardcheck/report/CReportFinishDlg.h"

#include "cardcheck/report/CReportIntroDlg.h"
#include "cardcheck/report/CReportSavedDlg.h"
#include "cardcheck/report/ReportWriter.h"
#include "cardcheck/report/SelectedNic.h"
#include "cardcheck/report/SystemInfo.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "common/platform/OsVersion.h"
#include "common/platform/ProcessLauncher.h"
#include "ui_CReportFinishDlg.h"

#include <QDir>
#include <QFileDialog>

namespace velnet::cardcheck {

CReportFinishDlg::CReportFinishDlg(SheetContext& context, CWizardPage* previous, QWidget* parent)
    : CWizardPage(context, previous, parent), ui_(std::make_unique<Ui::CReportFinishDlg>())
{
    ui_->setupUi(this);
    CReportIntroDlg::attachBugPicture(this);
    setUpPage(ui_->backButton, nullptr, ui_->cancelButton);
    connect(ui_->nextButton, &QPushButton::clicked, this, &CReportFinishDlg::OnFinish);
}

CReportFinishDlg::~CReportFinishDlg() = default;

int CReportFinishDlg::writeReport()
{
    QFileDialog save(this);
    save.setAcceptMode(QFileDialog::AcceptSave);
    save.setFileMode(QFileDialog::AnyFile);
    save.setDefaultSuffix(QStringLiteral("txt"));
    save.setDirectory(QDir::currentPath());
    save.selectFile(QStringLiteral("vxreport.txt"));
    if (save.exec() != QDialog::Accepted || save.selectedFiles().isEmpty())
        return 0;
    const std::string path = save.selectedFiles().constFirst().toStdString();

    ReportWriter::Sources sources;
    describeSelectedNic(sources);
    sources.date = ReportWriter::today();
    SystemInfo::Environment environment;
    environment.currentDirectory = QDir::currentPath().toStdString();
    environment.startProgram = [](const std::string& program,
                                  const std::vector<std::string>& arguments) {
        velnet::platform::processLauncher().start(program, arguments);
    };
    const SystemInfo info(context_.registry, context_.program.os(), environment);
    sources.systemSection = [&info](std::string& out) { info.writeSystemSection(out); };
    return ReportWriter::write(path, reportAnswers(), sources) == ReportWriter::Result::Written ? 1
                                                                                                : 0;
}

void CReportFinishDlg::OnFinish()
{
    int written = 1;
    if (reportAnswers().modified())
        written = writeReport();
    if (written != 1)
        return;
    CReportSavedDlg saved(context_, this);
    saved.exec();
    reject();
}

} // namespace velnet::cardcheck
