#pragma once

#include <QDialog>

/// The modal box with the program's name, version, purpose and disclaimer. (Outline.)
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
