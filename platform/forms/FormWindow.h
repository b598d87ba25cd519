#pragma once

#include <QWidget>

class Form;

// The top-level window of a loaded form: paints its back colour and picture and passes the
// window system's notifications to the form, each through the error guard.
class FormWindow : public QWidget {
public:
    explicit FormWindow(Form* form);
    Form* Owner() const { return mForm; }
    void Detach() { mForm = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Form* mForm;
    bool mPressed = false;
};
