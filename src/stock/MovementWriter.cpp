#include "stock/MovementWriter.h"

#include "data/Query.h"

void PostMovement(Query& query, const MovementValues& values) {
    query.SetField("StorePrice", values.price);
    query.SetField("StoreNumber", values.number);
    query.SetField("StoreSum", values.sum);
    query.SetField("StoreKind", static_cast<int>(values.kind));
    query.SetField("StoreRecordDate", values.recorded);
    query.SetField("StoreRemark", values.remark);
    query.SetField("StoreProduct", values.product);
    query.Post();
}
