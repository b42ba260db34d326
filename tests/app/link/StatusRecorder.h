#pragma once
// Records the status lines of every progress dialog while it lives.

#include "CProgressDlg.h"
#include "DialogUnits.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

#include <string>
#include <vector>

// The texts a progress dialog's status lines showed, in order; each line
// is painted as soon as it is written, so a paint sees every step.
class StatusRecorder : public QObject
{
public:
    StatusRecorder() { QCoreApplication::instance()->installEventFilter(this); }
    ~StatusRecorder() override { QCoreApplication::instance()->removeEventFilter(this); }
    StatusRecorder(const StatusRecorder&) = delete;
    StatusRecorder& operator=(const StatusRecorder&) = delete;

    std::vector<std::string> headings;
    std::vector<std::string> steps;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* label = qobject_cast<QLabel*>(watched);
        if (event->type() != QEvent::Paint || label == nullptr || dynamic_cast<CProgressDlg*>(label->window()) == nullptr)
            return false;
        if (label->objectName() == ControlName(IDC_STATUS1))
            Note(headings, label->text());
        else if (label->objectName() == ControlName(IDC_STATUS2))
            Note(steps, label->text());
        return false;
    }

private:
    static void Note(std::vector<std::string>& texts, const QString& text)
    {
        const std::string line = text.toStdString();
        if (!line.empty() && (texts.empty() || texts.back() != line))
            texts.push_back(line);
    }
};
