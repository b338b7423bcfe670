#pragma once
// The exception classes that carry failures through the libraries. Every
// failure that reaches a user has a German message; the action guard shows it.
#include <QString>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toStdString()) {}
    const QString& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    QString FMessage;
    std::string FUtf8;
};

// Text that does not convert (numbers, dates, hex escapes).
class EConvertError : public Exception { using Exception::Exception; };
// File and stream input/output.
class EInOutError : public Exception { using Exception::Exception; };
// Stream contents that are not what the reader expects.
class EReadError : public EInOutError { using EInOutError::EInOutError; };
// The registry store.
class ERegistryException : public Exception { using Exception::Exception; };
// A list index out of range and similar misuse of a container.
class EListError : public Exception { using Exception::Exception; };
// Silent end of the current action: the action guard shows nothing.
class EAbort : public Exception { using Exception::Exception; };

// The database engine's message together with the statement that failed.
class EDatabaseError : public Exception {
public:
    EDatabaseError(QString message, QString statement = {})
        : Exception(std::move(message)), FStatement(std::move(statement)) {}
    const QString& Statement() const noexcept { return FStatement; }

private:
    QString FStatement;
};

// A broken internal rule, with the unit and line where it was checked.
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const QString& text, QString unit, int line)
        : Exception(QStringLiteral("%1 (%2, Zeile %3)").arg(text, unit).arg(line)),
          FText(text), FUnit(std::move(unit)), FLine(line) {}
    const QString& Text() const noexcept { return FText; }
    const QString& Unit() const noexcept { return FUnit; }
    int Line() const noexcept { return FLine; }

private:
    QString FText;
    QString FUnit;
    int FLine;
};

// Raises EAssertionFailed with the given text when the condition is false.
#define VELTRA_ASSERT(cond, text) \
    do { if (!(cond)) throw EAssertionFailed((text), QStringLiteral(__FILE__).section(QLatin1Char('/'), -1), __LINE__); } while (0)
