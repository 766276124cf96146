#include "widgets/CUpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;

// The buddy's text as an integer: optional blanks, an optional sign and
// digits, nothing else. Anything else is not a position.
std::optional<std::int64_t> ParseInteger(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) negative = t[i++] == u'-';
    if (i == t.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < u'0' || t[i] > u'9') return std::nullopt;
        value = std::min<std::int64_t>(value * 10 + (t[i].unicode() - u'0'), std::int64_t{1} << 40);
    }
    return negative ? -value : value;
}

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(kRepeatDelayMs);
    button->setAutoRepeatInterval(kRepeatIntervalMs);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    button->setMinimumSize(4, 4);
    return button;
}

}  // namespace

CUpDown::CUpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = MakeArrow(this, Qt::UpArrow);
    m_down = MakeArrow(this, Qt::DownArrow);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

QSize CUpDown::sizeHint() const { return QSize(m_width, 22); }

void CUpDown::SetButtonWidth(int pixels) {
    m_width = std::max(4, pixels);
    AlignToBuddy();
}

void CUpDown::SetBuddy(QLineEdit* buddy) {
    if (buddy == m_buddy) return;  // already attached: the buddy is narrowed once
    if (m_buddy) m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (!m_buddy) return;
    m_buddy->installEventFilter(this);
    if (m_alignRight) {
        // Make room on the buddy's right edge, as an attached up-down does.
        m_buddy->resize(std::max(1, m_buddy->width() - m_width), m_buddy->height());
    }
    AlignToBuddy();
}

void CUpDown::SetAlignRight(bool on) {
    m_alignRight = on;
    AlignToBuddy();
}

void CUpDown::AlignToBuddy() {
    if (!m_buddy || !m_alignRight || parentWidget() != m_buddy->parentWidget()) return;
    const QRect b = m_buddy->geometry();
    setGeometry(b.right() + 1, b.top(), m_width, b.height());
}

void CUpDown::SetRange32(int low, int high) {
    m_low = low;
    m_high = high;
    m_pos = std::clamp(m_pos, std::min(low, high), std::max(low, high));
}

void CUpDown::GetRange32(int& low, int& high) const {
    low = m_low;
    high = m_high;
}

void CUpDown::SetPos32(int position) {
    m_pos = std::clamp(position, std::min(m_low, m_high), std::max(m_low, m_high));
    WriteBuddy();
}

int CUpDown::GetPos32() const {
    if (m_buddyInt && m_buddy) {
        if (const auto typed = ParseInteger(m_buddy->text())) {
            const std::int64_t lo = std::min(m_low, m_high);
            const std::int64_t hi = std::max(m_low, m_high);
            return static_cast<int>(std::clamp(*typed, lo, hi));
        }
    }
    return m_pos;
}

void CUpDown::Step(int delta) {
    const int position = GetPos32();
    // Up moves toward the high end of the range, whichever way it lies.
    const int positionDelta = m_high >= m_low ? delta : -delta;
    if (DeltaPosReflected(position, positionDelta)) return;
    bool refuse = false;
    emit deltaPos(position, positionDelta, &refuse);
    if (refuse) return;

    const std::int64_t lo = std::min(m_low, m_high);
    const std::int64_t hi = std::max(m_low, m_high);
    std::int64_t next = static_cast<std::int64_t>(position) + positionDelta;
    if (next > hi) next = m_wrap ? lo : hi;
    if (next < lo) next = m_wrap ? hi : lo;
    m_pos = static_cast<int>(next);
    WriteBuddy();
    emit positionChanged(m_pos);
}

bool CUpDown::DeltaPosReflected(int, int) { return false; }

void CUpDown::WriteBuddy() {
    if (m_buddyInt && m_buddy) {
        const QString text = QString::number(m_pos);  // plain digits, no group separators
        if (m_buddy->text() != text) m_buddy->setText(text);
    }
}

bool CUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && isEnabled()) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
                Step(key->key() == Qt::Key_Up ? 1 : -1);
                return true;
            }
        } else if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
            AlignToBuddy();
        }
    }
    return QWidget::eventFilter(watched, event);
}
