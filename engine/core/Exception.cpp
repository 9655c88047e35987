#include "engine/core/Exception.h"

#include <cxxabi.h>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

namespace {

std::string Demangled(const char* mangled)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    return (status == 0 && demangled) ? std::string(demangled.get()) : std::string(mangled);
}

std::string& AppVersion()
{
    static std::string version = "nil";
    return version;
}

} // namespace

Exception::Exception(const std::string& originFile, unsigned int line, const std::string& function,
                     const std::string& buildDate, const std::string& buildTime, const std::string& message)
    : m_BuildDate(buildDate),
      m_BuildTime(buildTime),
      m_OriginFile(originFile),
      m_Function(function),
      m_Line(line),
      m_Message(message)
{
}

Exception::~Exception() = default;

std::string Exception::GetClassName() const
{
    return Demangled(typeid(*this).name());
}

std::string CurrentExceptionTypeName()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    return type ? Demangled(type->name()) : std::string("(none)");
}

std::string CurrentExceptionMessage()
{
    if (!std::current_exception())
        return "no exception";
    try {
        throw;
    } catch (const Exception& e) {
        return e.GetMessage();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of type " + CurrentExceptionTypeName();
    }
}

std::string Exception::GetReport() const
{
    return (boost::format("Exception Thrown: %1%\n\nApp Version: %2%\nCompile Date: %3%\nCompile Time: %4%\n"
                          "Origin: %5%:%6%\nFunction: %7%\n\n%8%") %
            GetClassName() % GetAppVersionString() % m_BuildDate % m_BuildTime % m_OriginFile % m_Line %
            m_Function % m_Message)
        .str();
}

const std::string& GetAppVersionString()
{
    return AppVersion();
}

void SetAppVersionString(const std::string& version)
{
    AppVersion() = version;
}

std::string QualifiedFunctionName(const char* prettyFunction)
{
    // The name ends at the parameter list: the first '(' outside template brackets
    // that does not belong to "operator()".
    std::string pretty(prettyFunction);
    int depth = 0;
    size_t end = std::string::npos;
    for (size_t i = 0; i < pretty.size(); ++i) {
        char c = pretty[i];
        if (c == '<')
            ++depth;
        else if (c == '>' && depth > 0)
            --depth;
        else if (c == '(' && depth == 0) {
            if (i >= 8 && pretty.compare(i - 8, 8, "operator") == 0 && i + 1 < pretty.size() &&
                pretty[i + 1] == ')') {
                ++i;
                continue;
            }
            end = i;
            break;
        }
    }
    std::string head = pretty.substr(0, end);
    // The return type, if any, ends at the last blank outside template brackets.
    depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < head.size(); ++i) {
        char c = head[i];
        if (c == '<')
            ++depth;
        else if (c == '>' && depth > 0)
            --depth;
        else if (c == ' ' && depth == 0 && !(i >= 8 && head.compare(i - 8, 8, "operator") == 0))
            start = i + 1;
    }
    return head.substr(start);
}

std::string AssertionText(const char* condition)
{
    return (boost::format("Assertion failed: (%1%)") % condition).str();
}

std::string AssertionText(const char* condition, const std::string& message)
{
    return (boost::format("Assertion failed: (%1%)\nMessage: %2%") % condition % message).str();
}

void VerifyFailed(const char* originFile, unsigned int line, const std::string& function, const char* buildDate,
                  const char* buildTime, const char* expression)
{
    throw Exception(originFile, line, function, buildDate, buildTime,
                    (boost::format("Verify failed: (%1%)") % expression).str());
}
