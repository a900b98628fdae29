// SPDX-License-Identifier: MIT
#include "report/CReportFinishDlg.h"

#include "platform/OsVersion.h"
#include "platform/ProcessLauncher.h"
#include "report/CReportIntroDlg.h"
#include "report/CReportSavedDlg.h"
#include "report/ReportWriter.h"
#include "report/SelectedNic.h"
#include "report/SystemInfo.h"
#include "ui/ProgramState.h"
#include "ui/ReportAnswers.h"
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
