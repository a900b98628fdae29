// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CSplashDlg.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/RestartPrompt.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/ui/PictureWindow.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/Restart.h"
#include "ui_CSplashDlg.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>

namespace velnet::cardcheck {

CSplashDlg::CSplashDlg(bool welcomeMode, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::CSplashDlg>()), welcomeMode_(welcomeMode)
{
    ui_->setupUi(this);
    const QImage bitmap = PictureWindow::loadBitmap(PictureWindow::Splash, devicePixelRatio());
    ui_->splashPicture->setPixmap(QPixmap::fromImage(bitmap));
    // The dialog shrinks to the bitmap.
    setFixedSize(bitmap.deviceIndependentSize().toSize());
}

CSplashDlg::~CSplashDlg()
{
    // The worker posted its event as its last act; it has ended or is ending.
    waitForWorkers(this);
}

int CSplashDlg::runModal()
{
    QEventLoop loop;
    bool closed = false;
    connect(this, &QDialog::finished, &loop, [&] {
        closed = true;
        loop.quit();
    });
    setWindowModality(Qt::ApplicationModal);
    show(); // starts the worker
    if (!closed)
        loop.exec(QEventLoop::DialogExec);
    return result();
}

void CSplashDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started_)
        startWorker();
}

void CSplashDlg::startWorker()
{
    started_ = true;
    velnet::cardcheck::startWorker<StartupDoneEvent>(this, QThread::LowPriority, [this] {
        return StartupDiscovery::run(errorText_, welcomeMode_);
    });
}

bool CSplashDlg::event(QEvent* event)
{
    if (const auto* done = StartupDoneEvent::from(event)) {
        waitForWorkers(this);
        OnStartupDone(done->result);
        return true;
    }
    return QDialog::event(event);
}

void CSplashDlg::reject()
{
    // Esc or the window manager's close cannot end the splash while the
    // worker runs.
    if (finished_)
        QDialog::reject();
}

void CSplashDlg::OnStartupDone(std::int32_t count)
{
    finished_ = true;
    if (count > 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        accept();
        return;
    }
    OnStartupFailed();
    QDialog::reject();
}

void CSplashDlg::OnStartupFailed()
{
    appMessageBox(errorText_);
    if (AdapterLibrary* library = theAdapterLibrary()) {
        library->putDriversBack();
        destroyAdapterLibrary();
    }
    if (bindingState().restartNeeded == 1 && RestartPrompt::askAfterDriversDisabled())
        ProgramState::current().restart().reboot();
}

} // namespace velnet::cardcheck
