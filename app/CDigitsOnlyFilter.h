#pragma once
#include <QObject>

/// Makes an edit take only digits from the keyboard, as a number field does:
/// typed characters other than '0' … '9' are dropped. Text put in by the
/// program, by pasting or by a spin stays as it is.
class CDigitsOnlyFilter : public QObject {
    Q_OBJECT
public:
    explicit CDigitsOnlyFilter(QObject* parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
