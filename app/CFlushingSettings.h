#pragma once
#include <QSettings>
#include <functional>
#include <utility>

/// QSettings whose own timed write (a moment after a change) is handed to
/// `flush` instead, so that every write to the disk goes one way.
class CFlushingSettings : public QSettings {
public:
    template <typename... Args>
    explicit CFlushingSettings(std::function<void()> flush, Args&&... args)
        : QSettings(std::forward<Args>(args)...), m_flush(std::move(flush)) {}

protected:
    bool event(QEvent* event) override;

private:
    std::function<void()> m_flush;
};
