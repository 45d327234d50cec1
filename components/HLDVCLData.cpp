#include "components/HLDVCLData.h"

TCDataSource::TCDataSource(TComponent* AOwner) : TDataSource(AOwner) {}

TCDataSource::~TCDataSource() { SetDataSet(nullptr); }

void TCDataSource::SetDataSet(TDataSet* dataSet) {
    if (!dataSet) {
        TDataSource::SetDataSet(nullptr);
        return;
    }
    TDataSource::SetDataSet(dataSet);
    FreeNotification(dataSet);
}

void TCDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TDataSource::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove) RemoveFreeNotification(AComponent);
}
