#include "service-object/service_context.hpp"

namespace zirok::so {

ServiceContext& context() {
    static ServiceContext instance;
    return instance;
}

}  // namespace zirok::so
