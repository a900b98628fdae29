// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/SheetContext.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QPushButton;

namespace velnet::cardcheck {

// A page of the problem-report wizard. Each page is a modal dialog that runs
// the next page modally on Next, so that all pages stay open beneath each
// other while only the newest is visible. Back ends a page with OK, which
// shows the page before it again; Cancel ends it with Cancel, and every
// earlier page then ends with Cancel too.
class CWizardPage : public QDialog
{
    Q_OBJECT

public:
    CWizardPage(SheetContext& context, CWizardPage* previous, QWidget* parent);
    ~CWizardPage() override;

    CWizardPage* previousPage() const { return previous_; }

    // Runs the page modally. Unlike QDialog's own modal run, this one goes
    // on while the page is hidden under the next page: only done() ends it.
    int exec() override;

    // The help table entries of this page.
    virtual std::vector<ContextHelp::Entry> helpTable() const { return {}; }

protected:
    // An answer of ReportAnswers and the control that edits it.
    struct Field
    {
        int answer;
        QWidget* control;
    };

    // Connects the page's buttons and help; call at the end of the constructor.
    void setUpPage(QPushButton* back, QPushButton* next, QPushButton* cancel);
    // The page's answers, in the order Next stores them.
    void setFields(std::vector<Field> fields) { fields_ = std::move(fields); }

    void loadAnswers();
    // False at the first empty required answer (with the required check):
    // the user is told, the control gets the focus and later answers are not stored.
    bool storeAnswers(bool requiredCheck);

    // The page that Next leads to; none on the last page.
    virtual CWizardPage* createNextPage() { return nullptr; }

    void OnNext();
    void OnBack();
    void OnCancel();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // Places this page where `other` is on the screen.
    void takePlaceOf(const QWidget* other);

    SheetContext& context_;

private:
    bool storeAnswer(const Field& field, bool requiredCheck);
    void hidePrevious();

    QPointer<CWizardPage> previous_;
    std::vector<Field> fields_;
    ContextHelp* help_ = nullptr;
};

} // namespace velnet::cardcheck
