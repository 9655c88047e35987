#include "engine/ui/Animation.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Image.h"

namespace {

constexpr int kTickMilliseconds = 32;

} // namespace

Animation::Animation(const std::string& name) : m_AnimationName(name) {}

Animation::~Animation()
{
    if (m_Target)
        m_Target->ForgetAnimation(this);
}

void Animation::SetTarget(Actor* target)
{
    m_Stack.clear();
    if (m_Target && m_Target != target)
        m_Target->ForgetAnimation(this);
    m_Target = target;
    if (m_Target)
        ExtractAndPush(m_AnimationName);
}

void Animation::Play(int frameDelay)
{
    VELK_ASSERT(m_Target != 0);
    m_FrameDelay = frameDelay;
    m_Countdown = frameDelay;
    m_State = ANIM_PLAYING;
    Reset();
}

void Animation::Loop(int frameDelay)
{
    m_Loop = true;
    Play(frameDelay);
}

void Animation::Reset()
{
    VELK_ASSERT(m_Target != 0);
    if (!m_Stack.empty()) {
        m_Stack.resize(1);
        m_Stack.front().position = 1;
    } else {
        ExtractAndPush(m_AnimationName);
    }
    while (m_Stack.back().script[m_Stack.back().position].IsString())
        ExtractAndPush(m_Stack.back().script[m_Stack.back().position].GetString());
    m_CachedFrame = -1;
    m_Target->SetFrame(CurrentFrame());
}

int Animation::CurrentFrame()
{
    if (m_CachedFrame != -1)
        return m_CachedFrame;
    VELK_ASSERT(!m_Stack.empty());
    LuaObject animTable = m_Stack.back().script;
    int animPos = m_Stack.back().position;
    VELK_ASSERT(animTable[animPos].IsInteger());
    return animTable[animPos].GetInteger();
}

void Animation::ExtractAndPush(const std::string& name)
{
    Image* image = m_Target->GetOwnImage();
    LuaObject metadata = image ? image->GetMetadata() : LuaObject();
    VELK_ASSERT_MSG(metadata.IsTable(),
                    (boost::format("Actor does not have metadata: %1%") % m_Target->GetName()).str());
    LuaObject animations = metadata["Animations"];
    VELK_ASSERT_MSG(animations.IsTable(),
                    (boost::format("Actor has no animations: %1%") % m_Target->GetName()).str());
    LuaObject script = animations[name];
    VELK_ASSERT_MSG(script.IsTable(),
                    (boost::format("Actor does not have a specified animation:\nactor = %1%\nanimation name = %2%") %
                     m_Target->GetName() % name)
                        .str());
    m_Stack.push_back({script, 1});
}

void Animation::AdvanceFrame()
{
    VELK_ASSERT(m_State == ANIM_PLAYING);
    VELK_ASSERT(m_Target != 0);
    m_CachedFrame = -1;
    while (!m_Stack.empty()) {
        Entry& top = m_Stack.back();
        LuaObject element = top.script[top.position + 1];
        if (element.IsNil()) {
            m_Stack.pop_back();
        } else if (element.IsString()) {
            ++top.position;
            ExtractAndPush(element.GetString());
            // The nested animation starts at its first element, as Reset shows it.
            m_Stack.back().position = 0;
        } else if (element.IsTable()) {
            LuaObject shown = top.script[top.position];
            m_CachedFrame = shown.IsInteger() ? shown.GetInteger() : m_Target->GetFrame();
            ++top.position;
            ProcessCommand(element);
            return;
        } else if (element.IsInteger()) {
            ++top.position;
            m_Countdown += m_FrameDelay;
            m_Target->SetFrame(CurrentFrame());
            return;
        } else {
            VELK_ASSERT_MSG(false, (boost::format("Unknown element in animation:\ntype = %1%\nanimation name = %2%") %
                                    element.TypeName() % m_AnimationName)
                                       .str());
        }
    }
    if (m_Loop) {
        Play(m_FrameDelay);
        return;
    }
    m_State = ANIM_STOPPED;
    NotifyObservers(VELK_ANIMATIONFINISHED, nullptr, false);
}

void Animation::ProcessCommand(const LuaObject& command)
{
    VELK_ASSERT(command.IsTable());
    if (command[1].IsString() && command[1].GetString() == "delay")
        m_Countdown = ReadIntegerFromObject(command[2]);
}

void Animation::Update()
{
    if (m_State != ANIM_PLAYING)
        return;
    m_Countdown -= kTickMilliseconds;
    if (m_Countdown <= 0)
        AdvanceFrame();
}
