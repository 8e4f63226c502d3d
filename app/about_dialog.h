#pragma once

#include <QDialog>

class QEvent;
class QLabel;
class QPushButton;
class QShowEvent;

/// The modal box with the program's name, version, purpose and disclaimer. It only shows its
/// texts and closes: "OK", Enter, Escape and the close box end it, and it changes nothing else.
/// Its controls stand where its layout in dialog units puts them, measured in its own font.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

protected:
    /// Puts the description and the disclaimer into their boxes each time the box opens.
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layOut();

    QLabel* disclaimer_ = nullptr;
    QLabel* description_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* secondLine_ = nullptr;
    QLabel* disclaimerLabel_ = nullptr;
    QPushButton* ok_ = nullptr;
};
