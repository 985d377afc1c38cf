#include "WindowEvents.h"

#include "MainWindowControls.h"
#include "UiServices.h"
#include "platform/Errors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace {

// How often long work lets the window repaint and take the "Przerwij" click.
constexpr int kEventsEveryMs = 50;

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::Wheel: case QEvent::Close:
    case QEvent::ContextMenu: case QEvent::Shortcut: case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}

} // namespace

WindowEvents::WindowEvents(MainWindowControls &controls, UiServices &ui) : m_controls(controls), m_ui(ui)
{
}

WindowEvents::~WindowEvents()
{
    if (m_progressShown)
        qApp->removeEventFilter(this);
}

void WindowEvents::statusChanged(const QString &text)
{
    m_statusText = text;
    m_controls.statusPanel->setText(
        QString(text).replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    m_controls.statusPanel->repaint();
}

void WindowEvents::historyAppended(const QString &line)
{
    m_controls.memHistory->appendPlainText(line);
}

void WindowEvents::resultOpened(int records)
{
    m_controls.lblResult->setText(QStringLiteral("Wynik zapytania (%1 poz.)").arg(records));
    m_controls.btnGetFields->setEnabled(true);
}

void WindowEvents::resultClosed()
{
    m_controls.btnGetFields->setEnabled(false);
}

void WindowEvents::errorMessage(const QString &text)
{
    m_ui.message(UiServices::Kind::Error, text);
}

void WindowEvents::informationMessage(const QString &text)
{
    m_ui.message(UiServices::Kind::Information, text);
}

void WindowEvents::busyChanged(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_busyFor.start();
        m_sinceEvents.start();
        m_cancelRequested = false;
        return;
    }
    // Reports that come later belong to no work the window knows the end of: they show nothing,
    // or the progress and its hold on the input would stay for good.
    m_busyFor.invalidate();
    showProgress(false);
    QApplication::restoreOverrideCursor();
}

void WindowEvents::progress(const ProgressStep &step)
{
    if (!m_busyFor.isValid() || m_busyFor.elapsed() < m_progressDelay)
        return;
    showProgress(true);
    QProgressBar *bar = m_controls.progressBar;
    bar->setRange(0, step.total > 0 ? 1000 : 0);
    if (step.total > 0)
        bar->setValue(static_cast<int>(1000 * std::min(step.done, step.total) / step.total));
    bar->setFormat(QStringLiteral("%1: %2").arg(step.task, QLocale(QLocale::Polish).toString(step.done)));
    bar->setToolTip(bar->format());
    if (m_sinceEvents.elapsed() >= kEventsEveryMs || m_progressDelay == 0) {
        m_sinceEvents.restart();
        QApplication::processEvents();
    }
    if (m_cancelRequested) {
        m_cancelRequested = false;
        throw ECancelled();
    }
}

void WindowEvents::showProgress(bool shown)
{
    if (shown == m_progressShown)
        return;
    m_progressShown = shown;
    m_controls.progressBar->setVisible(shown);
    m_controls.progressBar->setTextVisible(shown);
    m_controls.btnCancelWork->setVisible(shown);
    // While the work runs, the window takes no input but "Przerwij" and Esc.
    if (shown)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool WindowEvents::eventFilter(QObject *watched, QEvent *event)
{
    // Events reach widgets through their windows first: only what arrives at a widget is held back.
    if (!m_progressShown || !isInput(event->type()) || !watched->isWidgetType() || watched == m_controls.btnCancelWork)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        cancelWork();
    return true;
}
