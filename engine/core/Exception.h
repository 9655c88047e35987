#pragma once

#include <boost/format.hpp>
#include <string>

// The program's one exception tree. Every failure carries where it was raised
// (file, line, function, and the build date and time of that file) and a
// message; a catcher tells failures apart by subclass only.
class Exception
{
public:
    Exception(const std::string& originFile, unsigned int line, const std::string& function,
              const std::string& buildDate, const std::string& buildTime, const std::string& message);
    virtual ~Exception();

    // "Exception Thrown: ..." with the class name, the application version and the origin.
    virtual std::string GetReport() const;

    const std::string& GetBuildDate() const { return m_BuildDate; }
    const std::string& GetBuildTime() const { return m_BuildTime; }
    const std::string& GetOriginFile() const { return m_OriginFile; }
    const std::string& GetFunction() const { return m_Function; }
    unsigned int GetLine() const { return m_Line; }
    const std::string& GetMessage() const { return m_Message; }

    // The run-time class name, demangled ("ScriptError").
    std::string GetClassName() const;

private:
    std::string m_BuildDate;
    std::string m_BuildTime;
    std::string m_OriginFile;
    std::string m_Function;
    unsigned int m_Line;
    std::string m_Message;
};

#define VELK_DECLARE_EXCEPTION(Name, Base) \
    class Name : public Base               \
    {                                      \
    public:                                \
        using Base::Base;                  \
    };

VELK_DECLARE_EXCEPTION(ClassNotFoundException, Exception)
VELK_DECLARE_EXCEPTION(ScriptError, Exception)
VELK_DECLARE_EXCEPTION(DirectX7NotAvailable, Exception)
VELK_DECLARE_EXCEPTION(ResourceLoadError, Exception)
VELK_DECLARE_EXCEPTION(ResourceNotFoundException, Exception)
VELK_DECLARE_EXCEPTION(ImageException, Exception)
VELK_DECLARE_EXCEPTION(SoundControlException, Exception)
VELK_DECLARE_EXCEPTION(DisplayBackendInitError, Exception)

// The process-wide application version; "nil" until the application sets it.
const std::string& GetAppVersionString();
void SetAppVersionString(const std::string& version);

// Inside a catch block, the exception being handled: its message (an
// Exception's, a std::exception's what()), and its demangled type name. Any
// type may be caught: for destructors and shutdown paths that log and go on.
std::string CurrentExceptionMessage();
std::string CurrentExceptionTypeName();

// "void Object::SetState(const std::string&)" -> "Object::SetState".
std::string QualifiedFunctionName(const char* prettyFunction);

[[noreturn]] void VerifyFailed(const char* originFile, unsigned int line, const std::string& function,
                               const char* buildDate, const char* buildTime, const char* expression);

// Message text of a failed check, with or without an explanation.
std::string AssertionText(const char* condition);
std::string AssertionText(const char* condition, const std::string& message);

#define VELK_FUNCTION_NAME QualifiedFunctionName(__PRETTY_FUNCTION__)

// Throws an exception of the given class with a ready message.
#define VELK_THROW(ExceptionClass, message) \
    throw ExceptionClass(__FILE__, __LINE__, VELK_FUNCTION_NAME, __DATE__, __TIME__, (message))

// Throws `Exception` "Assertion failed: (cond)" when cond is false.
#define VELK_ASSERT(cond)                                                        \
    do {                                                                         \
        if (!(cond))                                                             \
            VELK_THROW(Exception, AssertionText(#cond));                         \
    } while (0)

// As VELK_ASSERT, with "\nMessage: ..." appended; message is a string.
#define VELK_ASSERT_MSG(cond, message)                                           \
    do {                                                                         \
        if (!(cond))                                                             \
            VELK_THROW(Exception, AssertionText(#cond, (message)));              \
    } while (0)

// As VELK_ASSERT_MSG, throwing the given subclass.
#define VELK_ASSERT_THROW(ExceptionClass, cond, message)                         \
    do {                                                                         \
        if (!(cond))                                                             \
            VELK_THROW(ExceptionClass, AssertionText(#cond, (message)));         \
    } while (0)

// Active in every build; guards calls into the operating system.
#define VELK_VERIFY(expr)                                                                    \
    do {                                                                                     \
        if (!(expr))                                                                         \
            VerifyFailed(__FILE__, __LINE__, VELK_FUNCTION_NAME, __DATE__, __TIME__, #expr); \
    } while (0)
