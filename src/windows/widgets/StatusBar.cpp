#include "windows/widgets/StatusBar.h"

#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace windows
{

StatusBar::StatusBar(const std::vector<int>& panelWidths, QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    for (const int width : panelWidths) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(m_panels.size()));
        panel->setMinimumWidth(width);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(3, 0, 3, 0);
        addWidget(panel);
        m_panels.push_back(panel);
    }
}

QString StatusBar::panelText(int index) const
{
    return m_panels.at(static_cast<std::size_t>(index))->text();
}

void StatusBar::setPanelText(int index, const QString& text)
{
    QLabel* panel = m_panels.at(static_cast<std::size_t>(index));
    if (panel->text() == text)
        return;
    // Panels keep their width while the text fits, so that a counter ticking
    // does not lay the bar out again; they only ever grow, and text is
    // measured only when a longer one comes.
    if (text.size() > panel->property("vmsFitsChars").toLongLong()) {
        const QMargins margins = panel->contentsMargins();
        const int needed = panel->fontMetrics().horizontalAdvance(text) + margins.left() +
                           margins.right() + 2 * panel->frameWidth() + 6;
        panel->setFixedWidth(std::max({needed, panel->minimumWidth(), panel->width()}));
        panel->setProperty("vmsFitsChars", text.size());
    }
    panel->setText(text);
}

void StatusBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    QStatusBar::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace windows
