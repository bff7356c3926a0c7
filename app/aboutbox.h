#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Help / About: the program's name, its version and what it is for.
class TAboutBox : public QDialog
{
public:
    static const QString ProgramName; // "Reelkeep"
    static const QString Description;

    explicit TAboutBox(QWidget *parent = nullptr);

private:
    QLabel *m_name = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_description = nullptr;
    QPushButton *m_ok = nullptr;
};
