#pragma once
// The house's Oracle components: a session and a data set with the house presets, the logon
// component under its own name, and the Japanese text for a row held by another session.

#include <string>

#include "platform/data/Oracle.h"
#include "platform/data/OracleData.h"

class TCOracleSession : public TOracleSession {
public:
    explicit TCOracleSession(TComponent* AOwner);
    const char* ClassName() const noexcept override { return "TCOracleSession"; }
};

class TCOracleLogon : public TOracleLogon {
public:
    using TOracleLogon::TOracleLogon;
    const char* ClassName() const noexcept override { return "TCOracleLogon"; }
};

// The text shown instead of the database's own when a row lock was refused (error 54).
extern const char* const kRowLockedByOtherUserText;

class TCOracleDataSet : public TOracleDataSet {
public:
    explicit TCOracleDataSet(TComponent* AOwner);
    const char* ClassName() const noexcept override { return "TCOracleDataSet"; }

    void Loaded() override;
    // Closes and opens again when active; nothing otherwise.
    virtual void Reopen();
    // Does nothing; descendants may override it.
    virtual void ExtensionHook();

    TFields& Fields() noexcept { return TOracleDataSet::Fields(); }
    const TFields& Fields() const noexcept { return TOracleDataSet::Fields(); }

    bool UseFieldBufferEdit() const noexcept { return useFieldBufferEdit_; }
    void SetUseFieldBufferEdit(bool value) noexcept { useFieldBufferEdit_ = value; }

private:
    void TranslateMessage(TOracleDataSet* Sender, int ErrorCode, const std::string& ConstraintName,
                          char& Action, std::string& Msg);

    bool useFieldBufferEdit_ = false;
    TTranslateMessageEvent savedTranslateMessage_;
};
