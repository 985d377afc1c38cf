#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

// Every failure the user can see is an exception carrying the text to show.
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A silent stop: the user called the work off, or was already told why it can't go on. Nothing
// more is shown.
class EAbort : public Exception {
public:
    EAbort() : Exception(QString()) {}
};

// Work the user called off while it ran; nothing more is shown.
class ECancelled : public EAbort {
public:
    ECancelled() = default;
};

// Database errors; EDBEngineError is the kind raised with the engine's own message.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

class EDBEngineError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// A value that does not convert ("'x' is not a valid integer value").
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A variant value used as a type it cannot become.
class EVariantError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created or written: "Cannot create file "path". reason".
class EFCreateError : public Exception {
public:
    EFCreateError(const QString &path, const QString &reason);
};

// A file that cannot be opened for reading: "Cannot open file "path". reason".
class EFOpenError : public Exception {
public:
    EFOpenError(const QString &path, const QString &reason);
};

// A profile (INI) file that cannot be written: "Unable to write to path".
class EIniFileException : public Exception {
public:
    explicit EIniFileException(const QString &path);
};

// The system's text for an errno value.
QString systemErrorText(int errorNumber);

// The text of a failure that is none of the program's own exceptions: running out of memory in
// Polish, any other by its own text.
QString foreignErrorText(const std::exception &e);

// The text of the application's standard error box: the error's text, with a full stop added
// when it ends in a character that sorts after ".".
QString standardErrorText(const QString &message);
