#include "engine/ui/GameRecordRow.h"

VELK_REGISTER_CLASS(GameRecordRow, "Actor", nullptr, InstantiateObjectOfClass<GameRecordRow>);

void GameRecordRow::SetIndex(int) {}

void GameRecordRow::SetRecord(const GameRecord&) {}
