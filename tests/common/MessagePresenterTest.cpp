// SPDX-License-Identifier: MIT
#include "common/ui/MessageBox.h"
#include "common/ui/QtMessagePresenter.h"
#include "tests/support/DialogTemplateCheck.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QtTest>
#include <algorithm>
#include <functional>

using namespace velnet::ui;

namespace {

// Runs `action` on the message box once it is on the screen.
void whenBoxShown(std::function<void(QMessageBox*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(box);
    });
    timer->start();
}

// The box's buttons from left to right.
QList<QAbstractButton*> buttonsInOrder(QMessageBox* box)
{
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    return buttons;
}

QStringList texts(const QList<QAbstractButton*>& buttons)
{
    QStringList list;
    for (QAbstractButton* button : buttons)
        list << button->text().remove(QLatin1Char('&'));
    return list;
}

} // namespace

// The message boxes the programs show through the Qt presenter.
class MessagePresenterTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { previous_ = setMessagePresenter(&presenter_); }
    void cleanup()
    {
        setMessagePresenter(previous_);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void abortRetryIgnoreKeepTheirOrderWithAbortAsTheDefault()
    {
        QStringList order;
        QString defaultButton;
        whenBoxShown([&](QMessageBox* box) {
            order = texts(buttonsInOrder(box));
            auto* button = qobject_cast<QPushButton*>(box->defaultButton());
            defaultButton = button ? button->text().remove(QLatin1Char('&')) : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(messageBox("The loopback test failed.", "cardcheck", Buttons::AbortRetryIgnore),
                 Answer::Abort);
        QCOMPARE(order, (QStringList{"Abort", "Retry", "Ignore"}));
        QCOMPARE(defaultButton, QString("Abort"));

        // Each button gives its own answer.
        for (int i = 0; i < 3; ++i) {
            whenBoxShown([i](QMessageBox* box) {
                QTest::mouseClick(buttonsInOrder(box).at(i), Qt::LeftButton);
            });
            const Answer expected[] = {Answer::Abort, Answer::Retry, Answer::Ignore};
            QCOMPARE(messageBox("Failed.", "cardcheck", Buttons::AbortRetryIgnore), expected[i]);
        }
    }

    void otherSetsStartOnTheirFirstButton()
    {
        const std::pair<Buttons, QString> sets[] = {{Buttons::Ok, "OK"},
                                                    {Buttons::OkCancel, "OK"},
                                                    {Buttons::YesNo, "Yes"},
                                                    {Buttons::YesNoCancel, "Yes"}};
        for (const auto& [buttons, first] : sets) {
            QString defaultButton;
            whenBoxShown([&](QMessageBox* box) {
                auto* button = qobject_cast<QPushButton*>(box->defaultButton());
                defaultButton = button ? button->text().remove(QLatin1Char('&')) : QString();
                QTest::keyClick(box, Qt::Key_Escape);
            });
            QCOMPARE(messageBox("Question?", "caption", buttons), cancelAnswer(buttons));
            QCOMPARE(defaultButton, first);
        }
    }

    // A short text would make a box narrower than its caption needs.
    void aShortBoxIsWideEnoughForItsCaption()
    {
        bool fits = false;
        whenBoxShown([&](QMessageBox* box) {
            fits = velnet::test::captionFits(box);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        messageBox("Done.", "Corvane NIC Diagnostics  v1.0", Buttons::Ok);
        QVERIFY(fits);
    }

    void aBoxWiderThanItsOwnerOpensCentredOnIt()
    {
        // A small frameless owner, as the splash is, above the screen's centre.
        QDialog owner;
        owner.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        owner.setGeometry(QRect(QPoint(), QSize(120, 60)));
        owner.move(screen.center().x() - 60, screen.top() + 150);
        QRect ownerFrame;
        QRect boxFrame;
        bool placed = false;
        auto measure = [&](QMessageBox* box) {
            QTest::qWait(20);
            boxFrame = box->frameGeometry();
            // A position of its own, which the window manager keeps; without
            // it the manager may put a box owned by a splash in a corner.
            placed = box->testAttribute(Qt::WA_Moved);
            box->accept();
        };
        QTimer::singleShot(0, &owner, [&] {
            ownerFrame = owner.frameGeometry();
            whenBoxShown(measure);
            messageBox(std::string(60, 'w') + " long text", "cardcheck");
            owner.accept();
        });
        owner.exec();
        QVERIFY(boxFrame.width() > ownerFrame.width());
        QVERIFY(placed);
        QVERIFY2((boxFrame.center() - ownerFrame.center()).manhattanLength() <= 2,
                 qPrintable(QString("box centre %1,%2; owner centre %3,%4")
                                .arg(boxFrame.center().x())
                                .arg(boxFrame.center().y())
                                .arg(ownerFrame.center().x())
                                .arg(ownerFrame.center().y())));

        // Near the screen's edge the box stays on the screen.
        owner.move(screen.right() - 100, screen.bottom() - 50);
        QTimer::singleShot(0, &owner, [&] {
            whenBoxShown(measure);
            messageBox(std::string(60, 'w') + " long text", "cardcheck");
            owner.accept();
        });
        owner.exec();
        QVERIFY(placed);
        QVERIFY(screen.contains(boxFrame));
    }

private:
    QtMessagePresenter presenter_;
    MessagePresenter* previous_ = nullptr;
};

QTEST_MAIN(MessagePresenterTest)
#include "MessagePresenterTest.moc"
