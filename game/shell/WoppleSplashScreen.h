#pragma once

#include "engine/ui/SplashScreen.h"

#include <cstdint>

class Actor;

// The game's first screen ("SplashScreen"): it loads the resources ahead of
// use, one per timer tick, and lets the butterflies "Butterfly1" to
// "Butterfly5" take off as loading goes on; Return ends loading at once. Once
// loaded it shows the start button and goes on to "MenuScreen" when there is
// one. "--noprecache" skips loading. The layout is the template
// "WoppleSplashScreen" ("WoppleSplashScreen.lua").
class WoppleSplashScreen : public SplashScreen
{
public:
    static constexpr int kButterflies = 5;
    static constexpr int kBarWidth = 250;
    static constexpr int kBarHeight = 15;

    WoppleSplashScreen();
    // Frees the loading timer.
    ~WoppleSplashScreen() override;

    bool OnScreenTransition(Event* event) override;
    bool OnKeyDown(const EventRecord& event) override;
    bool OnButtonClick(const EventRecord& event) override;

    int GetTotal() const { return m_Total; }
    int GetProgress() const { return m_Progress; }
    // The next butterfly to take off; 6 once all five are flying.
    int GetButterflyNumber() const { return m_ButterflyNumber; }
    std::uint32_t GetLoadingTimerID() const { return m_LoadingTimerID; }
    Actor* GetProgressFill() const { return m_ProgressFill; }
    Actor* GetProgressFrame() const { return m_ProgressFrame; }

protected:
    // The resource manager's advance load; tests stand in their own counts.
    virtual int BeginAdvanceLoad();
    virtual bool AdvanceLoadNext();

private:
    friend class WoppleSplashLoading;
    friend class WoppleSplashLoaded;

    void StartLoading();
    // One resource loaded; true while more remain.
    bool LoadNext();
    void FinishLoading();
    void ShowLoaded();
    void ReleaseButterfly();
    void StopLoadingTimer();
    void GoToMenu();

    std::uint32_t m_LoadingTimerID = 0;
    int m_Total = 0;
    int m_Progress = 0;
    Actor* m_ProgressFill = nullptr;
    Actor* m_ProgressFrame = nullptr;
    Actor* m_StartButton = nullptr;
    int m_ButterflyNumber = 1;
    Actor* m_LoadingText = nullptr;
};
