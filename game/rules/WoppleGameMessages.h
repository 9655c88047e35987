#pragma once

#include <string>

class Object;
class WoppleGameLogic;
class WoppleTalkingCharacter;

// Who says a message in the base rules; the duel's own messages have nobody
// here and get their speaker from the Pirate's Fortune logic.
enum WoppleSpeakerGroup
{
    WOPPLE_SPEAKER_NOBODY = 0,
    WOPPLE_SPEAKER_GIRL,
    WOPPLE_SPEAKER_CHERUB,
};

// A button of a question: its label, the name the listener receives, its key.
struct WoppleMessageButton
{
    const char* text;
    const char* name;
    char key;
};

// One game message: its fixed number and name, its speaker, and what shows it.
struct WoppleMessageInfo
{
    int id;
    const char* name;
    WoppleSpeakerGroup speaker;
};

// Everything the characters say during a round. A message is raised by number;
// the girl or the cherub is picked, brought on, given the message (a timed
// bubble, a question with buttons, or a script that does the talking) and set
// reacting. The old-school logic owns one and forwards its message slots here.
class WoppleGameMessages
{
public:
    static constexpr int kNumMessages = 58;
    // How long a fixed text stays in its bubble.
    static constexpr double kBubbleDurationMs = 5000.0;

    explicit WoppleGameMessages(WoppleGameLogic& logic);
    virtual ~WoppleGameMessages() = default;

    // Either may be null: a layout without that character.
    void SetCharacters(WoppleTalkingCharacter* girl, WoppleTalkingCharacter* cherub);
    WoppleTalkingCharacter* GetGirl() const { return m_Girl; }
    WoppleTalkingCharacter* GetCherub() const { return m_Cherub; }

    // The current player's name, for the texts that greet them; empty without one.
    static std::string CurrentPlayerName();
    // The id of a message name; 0 for a name not in the table.
    static int GetMessageId(const std::string& name);
    // The table row of an id, or null (0, 31 and anything out of range).
    static const WoppleMessageInfo* FindMessage(int id);
    // The format of a text message from the game's strings (empty when it has none).
    static std::string GetMessageFormat(int id);
    // "%1%" to "%3%" replaced by the texts in order, "%%" a percent sign.
    static std::string FormatMessageText(const std::string& format, const std::string& text1,
                                         const std::string& text2 = std::string(),
                                         const std::string& text3 = std::string());

    // Says the message and returns its speaker (null when it has none).
    virtual WoppleTalkingCharacter* SayGameMessage(int id, Object* listener, const std::string& text1,
                                                   const std::string& text2, const std::string& text3);
    virtual WoppleTalkingCharacter* GetSpeakerForMessage(int id);
    virtual void ShowSpeaker(int id, WoppleTalkingCharacter* speaker);
    virtual void PresentMessage(int id, WoppleTalkingCharacter* speaker, Object* listener, const std::string& text1,
                                const std::string& text2, const std::string& text3);
    virtual void AnimateSpeaker(int id, WoppleTalkingCharacter* speaker);
    // Ends a message early and sends the cherub away again.
    virtual void KillMessage(int id, Object* listener);

protected:
    WoppleGameLogic& m_Logic;
    WoppleTalkingCharacter* m_Girl = nullptr;
    WoppleTalkingCharacter* m_Cherub = nullptr;
};

// A text the game reads from its settings (the explanation pages and words);
// an empty string when the key is missing or holds no text.
std::string ReadGameText(const std::string& key);
// A text of the game's strings table (English.strings); empty when missing.
std::string GameString(const std::string& key);
