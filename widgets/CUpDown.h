#pragma once
#include <QWidget>

class QLineEdit;
class QToolButton;

/// A stand-alone up-down (spin) control: two arrow buttons beside a buddy
/// line edit, stepping a 32-bit integer position.
///
/// - Range: SetRange32(low, high); the position is clamped to it, or wraps
///   from one end to the other when SetWrap(true).
/// - Buddy: SetBuddy() attaches a QLineEdit; with SetAlignRight (the default)
///   the control sits on the buddy's right edge, at the buddy's height, and
///   the buddy is narrowed to make room. Up and Down keys in the buddy step
///   the control; the arrow buttons repeat while held down.
/// - SetBuddyInt (the default) writes the position into the buddy as a plain
///   integer (no thousands separators), and the buddy's integer text is the
///   position: a step starts from what the user typed there. Without it the
///   control keeps its position to itself and leaves the buddy alone.
/// - Each step first asks: DeltaPosReflected() (for subclasses), then the
///   deltaPos signal (for the owner, connect it directly), with the current
///   position and the requested delta. The owner may refuse by setting
///   *refuse = true; then nothing changes. Otherwise the position moves,
///   the buddy text is written and positionChanged is emitted. The
///   notification comes on every step, also at a range end.
class CUpDown : public QWidget {
    Q_OBJECT

public:
    explicit CUpDown(QWidget* parent = nullptr);

    /// Attaches the buddy (or detaches with nullptr) and aligns to it.
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* GetBuddy() const { return m_buddy; }

    /// Position range, both ends included. low may exceed high: then up
    /// moves toward high all the same (up always adds +1 to the position
    /// in the direction of high).
    void SetRange32(int low, int high);
    void GetRange32(int& low, int& high) const;
    int Lower() const { return m_low; }
    int Upper() const { return m_high; }

    /// Sets the position (clamped to the range) and, with SetBuddyInt, writes
    /// it into the buddy. Emits nothing.
    void SetPos32(int position);
    /// The position: with SetBuddyInt and a buddy holding an integer, that
    /// integer clamped to the range; otherwise the last position set.
    int GetPos32() const;

    void SetWrap(bool wrap) { m_wrap = wrap; }
    bool Wrap() const { return m_wrap; }
    void SetBuddyInt(bool on) { m_buddyInt = on; }
    bool BuddyInt() const { return m_buddyInt; }
    void SetAlignRight(bool on);
    /// Width of the control beside its buddy, in pixels (16 by default).
    /// Set it before SetBuddy, which narrows the buddy by that much.
    void SetButtonWidth(int pixels);

    /// Places the control on its buddy's right edge (done by SetBuddy; call
    /// again after moving the buddy).
    void AlignToBuddy();

    /// One step of `delta` units, as an arrow click (+1 up, −1 down) does.
    void Step(int delta);

    QSize sizeHint() const override;

signals:
    /// Before a step: the current position and the requested delta. Set
    /// *refuse to true to keep everything as it is.
    void deltaPos(int position, int delta, bool* refuse);
    /// After a step that was allowed, with the new position.
    void positionChanged(int position);

protected:
    /// Hook for subclasses, called before deltaPos. Returning true refuses
    /// the step (the owner is then not asked).
    virtual bool DeltaPosReflected(int position, int delta);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WriteBuddy();

    QLineEdit* m_buddy = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_low = 0;
    int m_high = 100;
    int m_pos = 0;
    bool m_wrap = false;
    bool m_buddyInt = true;
    bool m_alignRight = true;
    int m_width = 16;
};
