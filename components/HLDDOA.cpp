#include "components/HLDDOA.h"

#include "platform/win32/CodePage.h"

const char* const kRowLockedByOtherUserText =
    "他のユーザーがこのデータを編集している可能性があります。\n\r"
    "しばらくしてからやり直してください。";

TCOracleSession::TCOracleSession(TComponent* AOwner) : TOracleSession(AOwner) {
    // House presets for a session placed in the designer; at run time the stored form and the
    // base's defaults decide.
    const TComponentState state = ComponentState();
    if (state.Contains(TComponentStateFlag::csDesigning) && !state.Contains(TComponentStateFlag::csLoading)) {
        SetCursor(crHourGlass);
        SetDesignConnection(true);
        SetThreadSafe(true);
        SetConnected(false);
        SetRollbackOnDisconnect(true);
        SetBytesPerCharacter(bc2Bytes);
    }
}

TCOracleDataSet::TCOracleDataSet(TComponent* AOwner) : TOracleDataSet(AOwner) {
    SetCursor(crHourGlass);
    SetReadOnly(false);
    SetLockingMode(lmLockImmediate);
    SetRefreshOptions(roBeforeEdit | roAfterInsert | roAfterUpdate | roAllFields);
    SetCachedUpdates(true);
    SetQBEMode(false);
    SetDesignActivation(true);
    SetActive(false);
    OracleDictionary().EnforceConstraints = true;
    OracleDictionary().RangeValues = true;
    useFieldBufferEdit_ = false;
}

void TCOracleDataSet::Loaded() {
    TOracleDataSet::Loaded();
    if (ComponentState().Contains(TComponentStateFlag::csDesigning)) return;
    savedTranslateMessage_ = OnTranslateMessage;
    OnTranslateMessage = [this](TOracleDataSet* Sender, int ErrorCode, const std::string& ConstraintName, char& Action,
                                std::string& Msg) { TranslateMessage(Sender, ErrorCode, ConstraintName, Action, Msg); };
}

void TCOracleDataSet::TranslateMessage(TOracleDataSet* Sender, int ErrorCode, const std::string& ConstraintName,
                                       char& Action, std::string& Msg) {
    if (ErrorCode == 54) Msg = win32::Utf8ToAnsi(kRowLockedByOtherUserText);
    if (savedTranslateMessage_) savedTranslateMessage_(Sender, ErrorCode, ConstraintName, Action, Msg);
}

void TCOracleDataSet::Reopen() {
    if (!Active()) return;
    Close();
    Open();
}

void TCOracleDataSet::ExtensionHook() {}
