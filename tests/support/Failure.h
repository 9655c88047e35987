#pragma once

#include "engine/core/Exception.h"

#include <functional>
#include <string>

// The message of the Exception the action throws, or "no failure".
inline std::string FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.GetMessage();
    }
    return "no failure";
}

// As FailureOf, with the raising function in front: "Color::SetColor: ...".
inline std::string FailureWithFunctionOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.GetFunction() + ": " + e.GetMessage();
    }
    return "no failure";
}
