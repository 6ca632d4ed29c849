// The start-up registration of the framework's streamable classes: what makes
// an extension streamable and lets streamed items be made again by class name.
#include "controls/VxDataConsumer.h"
#include "controls/VxDataConsumerExt.h"
#include "controls/VxDataContexts.h"
#include "controls/VxDataItemFeatures.h"
#include "controls/VxDataItems.h"

namespace vx {

void RegisterDataProviderClasses() {
    static const TVxClass* const kClasses[] = {
        &TVxDataItemsList::Class,
        &TVxCustomDataItemsImages::Class,
        &TVxCustomDataItemsTextRenderer::Class,
        &TVxBaseDataItemsListManagement::Class,
        &TVxBaseDataItem::Class,
        &TVxDataItemTextImpl::Class,
        &TVxDataItemImageImpl::Class,
        &TVxDataItemContextTextImpl::Class,
        &TVxDataItemBlockableTextImpl::Class,
        &TVxDataConsumer::Class,
        &TVxDataConsumerItemSelect::Class,
        &TVxDataContexts::Class,
        &TVxDataContext::Class,
        &TVxManagedDataContext::Class,
        &TVxFixedDataContext::Class,
    };
    for (const TVxClass* cls : kClasses) RegisterVxClass(cls);
}

}  // namespace vx
