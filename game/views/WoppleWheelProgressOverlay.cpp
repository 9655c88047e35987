#include "game/views/WoppleWheelProgressOverlay.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"

namespace {

const char* PieceStateName(int state)
{
    switch (state) {
    case WoppleWheelProgressOverlay::PIECE_FILLED:
        return "filled";
    case WoppleWheelProgressOverlay::PIECE_UNFILLED:
        return "unfilled";
    case WoppleWheelProgressOverlay::PIECE_IGNORED:
        return "ignored";
    }
    VELK_ASSERT(0);
    return "";
}

int Script_FillPiece(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* overlay = RequireScriptObject<WoppleWheelProgressOverlay>(L, 1, "a reel's progress overlay");
        overlay->FillPiece(static_cast<int>(luaL_checknumber(L, 2)));
        return 0;
    });
}

int Script_IgnorePiece(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* overlay = RequireScriptObject<WoppleWheelProgressOverlay>(L, 1, "a reel's progress overlay");
        overlay->IgnorePiece(static_cast<int>(luaL_checknumber(L, 2)));
        return 0;
    });
}

int Script_SetNumPieces(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* overlay = RequireScriptObject<WoppleWheelProgressOverlay>(L, 1, "a reel's progress overlay");
        overlay->SetNumPieces(static_cast<int>(luaL_checknumber(L, 2)));
        return 0;
    });
}

void Method(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

} // namespace

void WoppleWheelProgressOverlayClassHook(Class* c)
{
    Method(c, "FillPiece", Script_FillPiece);
    Method(c, "IgnorePiece", Script_IgnorePiece);
    Method(c, "SetNumPieces", Script_SetNumPieces);
}

VELK_REGISTER_CLASS(WoppleWheelProgressOverlay, "Actor", WoppleWheelProgressOverlayClassHook,
                    InstantiateObjectOfClass<WoppleWheelProgressOverlay>);

WoppleWheelProgressOverlay::WoppleWheelProgressOverlay() = default;

WoppleWheelProgressOverlay::~WoppleWheelProgressOverlay() = default;

void WoppleWheelProgressOverlay::SetNumPieces(int n)
{
    m_PieceCount = n;
    m_PieceStates.assign(n > 0 ? n : 0, PIECE_UNFILLED);
    UpdateGraphics();
}

void WoppleWheelProgressOverlay::FillPiece(int i)
{
    SetPiece(i, PIECE_FILLED);
}

void WoppleWheelProgressOverlay::IgnorePiece(int i)
{
    SetPiece(i, PIECE_IGNORED);
}

void WoppleWheelProgressOverlay::SetPiece(int i, int state)
{
    // Scripts call this too: a piece that is not there is named and left alone.
    if (i < 1 || i > static_cast<int>(m_PieceStates.size())) {
        LogWrite("WARNING: WoppleWheelProgressOverlay: there is no piece %d of %d\n", i,
                 static_cast<int>(m_PieceStates.size()));
        return;
    }
    if (m_PieceStates[i - 1] == state)
        return;
    m_PieceStates[i - 1] = state;
    UpdateGraphics();
}

void WoppleWheelProgressOverlay::Reset()
{
    SetNumPieces(1);
}

void WoppleWheelProgressOverlay::UpdateGraphics()
{
    DestroyChildren();
    LuaObject node = RetrieveProperty("pieces");
    if (!node.IsTable())
        return;
    node = node[m_PieceCount];
    for (std::int32_t state : m_PieceStates) {
        if (!node.IsTable())
            break;
        node = node[PieceStateName(state)];
    }
    if (!node.IsTable()) {
        LogWrite("WARNING: WoppleWheelProgressOverlay: the chart has no shape for %d pieces\n", m_PieceCount);
        return;
    }
    auto* shape = dynamic_cast<Actor*>(ClassManager::GetInstance()->InstantiateObject(node));
    if (shape)
        AddChild(shape);
}
