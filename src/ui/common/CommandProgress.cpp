#include "CommandProgress.h"

#include "Messages.h"
#include "TurkishText.h"

#include <QCoreApplication>
#include <QProgressDialog>

using namespace Qt::StringLiterals;

CommandProgress::CommandProgress(QWidget* parent, const QString& pattern, int total)
    : m_dialog(std::make_unique<QProgressDialog>(parent))
    , m_pattern(pattern)
    , m_total(total)
{
    m_dialog->setObjectName(u"CommandProgress"_s);
    m_dialog->setWindowTitle(Messages::applicationTitle());
    m_dialog->setCancelButtonText(u"Vazgeç"_s);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(delayMs);
    m_dialog->setRange(0, std::max(total, 0));
    m_dialog->setLabelText(label(0));
    m_dialog->setValue(0);
    m_clock.start();
}

CommandProgress::~CommandProgress() = default;

QString CommandProgress::label(int done) const
{
    const QLocale locale = TurkishText::locale();
    return m_pattern.arg(locale.toString(done), locale.toString(m_total));
}

bool CommandProgress::step(int done)
{
    // Before the delay the dialog is left alone: it would otherwise guess the command's length
    // from the first steps and appear at once.
    if (m_clock.elapsed() >= delayMs) {
        m_dialog->setLabelText(label(done));
        m_dialog->setValue(std::min(done, m_dialog->maximum()));
    }
    m_shown = m_shown || m_dialog->isVisible();
    // Until the window is up (and modal) a click must not start another command.
    QCoreApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    m_shown = m_shown || m_dialog->isVisible();
    return !m_dialog->wasCanceled();
}

bool CommandProgress::shown() const
{
    return m_shown;
}
