#include "ScriptedDialogs.h"

void ScriptedDialogs::information(QWidget*, const QString& text)
{
    shown_.append({Kind::Information, text, {}, {}});
}

bool ScriptedDialogs::askYesNo(QWidget*, const QString& text)
{
    shown_.append({Kind::Question, text, {}, {}});
    return answers_.isEmpty() ? defaultAnswer_ : answers_.dequeue();
}

bool ScriptedDialogs::askNumber(QWidget*, const QString& text, int& value, int min, int max)
{
    shown_.append({Kind::Number, text, QString::number(value), QStringLiteral("%1-%2").arg(min).arg(max)});
    if (numbers_.isEmpty())
        return true;
    const int answer = numbers_.dequeue();
    if (answer == kCancel)
        return false;
    value = answer;
    return true;
}

QString ScriptedDialogs::openFile(QWidget*, const QString& title, const QString& folder, const QString& filter)
{
    shown_.append({Kind::OpenFile, title, folder, filter});
    return files_.isEmpty() ? QString() : files_.dequeue();
}

QString ScriptedDialogs::saveFile(QWidget*, const QString& title, const QString& folder, const QString& filter,
                                  const QString&)
{
    shown_.append({Kind::SaveFile, title, folder, filter});
    return files_.isEmpty() ? QString() : files_.dequeue();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown& s : shown_)
        out << s.text;
    return out;
}

QStringList ScriptedDialogs::informationTexts() const
{
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == Kind::Information)
            out << s.text;
    return out;
}

QStringList ScriptedDialogs::numberQuestions() const
{
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == Kind::Number)
            out << s.text;
    return out;
}

QStringList ScriptedDialogs::questions() const
{
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == Kind::Question)
            out << s.text;
    return out;
}
