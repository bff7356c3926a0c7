#pragma once

#include <optional>
#include <utility>

#include <QString>

// An expected failure as a value: either a T or an error message for the user.
template <typename T> class Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    {}
    static Result Failure(QString error)
    {
        Result result;
        result.m_error = std::move(error);
        return result;
    }

    bool Ok() const { return m_value.has_value(); }
    explicit operator bool() const { return Ok(); }
    const T &Value() const { return *m_value; }
    T &Value() { return *m_value; }
    const QString &Error() const { return m_error; }

private:
    Result() = default;

    std::optional<T> m_value;
    QString m_error;
};

// Success or an error message.
class Status
{
public:
    Status() = default;
    static Status Failure(QString error)
    {
        Status status;
        status.m_ok = false;
        status.m_error = std::move(error);
        return status;
    }

    bool Ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString &Error() const { return m_error; }

private:
    bool m_ok = true;
    QString m_error;
};
