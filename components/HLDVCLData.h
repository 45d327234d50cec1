#pragma once
// The house's data source: registers for its data set's destruction notice, so that destroying
// the data set first is safe.

#include "platform/data/DB.h"

class TCDataSource : public TDataSource {
public:
    explicit TCDataSource(TComponent* AOwner);
    ~TCDataSource() override;
    const char* ClassName() const noexcept override { return "TCDataSource"; }

    void SetDataSet(TDataSet* dataSet) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
};
