#pragma once

#include <string>

class Actor;
class Object;

// A talking character as the rules use it: the girl, the cherub or the pirate.
// The character view implements it; the rules decide what is said, by whom and
// with which buttons, and the view shows the bubble. The script calls (run,
// stop by tag, observers) go to the character's actor.
class WoppleTalkingCharacter
{
public:
    virtual ~WoppleTalkingCharacter() = default;

    virtual Actor* GetCharacterActor() = 0;
    // The text in the speech bubble; a duration above 0 closes it after that
    // many milliseconds. Font 0 is the bubble's own font.
    virtual void Say(const std::string& text, double durationMs, const std::string& colorName, int font,
                     unsigned char layoutOption) = 0;
    // A question with two buttons; a click reaches the listener as VELK_BUTTONCLICK
    // with the button's name.
    virtual void SayWithButtons(const std::string& text, const std::string& firstText, const std::string& firstName,
                                char firstKey, const std::string& secondText, const std::string& secondName,
                                char secondKey, Object* listener, double durationMs,
                                const std::string& colorName) = 0;
    virtual void SayWithThreeButtons(const std::string& text, const std::string& firstText,
                                     const std::string& firstName, char firstKey, const std::string& secondText,
                                     const std::string& secondName, char secondKey, const std::string& thirdText,
                                     const std::string& thirdName, char thirdKey, Object* listener,
                                     double durationMs, const std::string& colorName) = 0;
    virtual void CloseBubble() = 0;
};
