#pragma once

#include <functional>
#include <map>

#include "engine/core/CRefPtr.h"
#include "engine/core/Singleton.h"
#include "engine/properties/IPropertyData.h"

namespace oskel {

class IContentManager;

// Makes a new, empty property value; the content manager (may be null) is kept by the values
// that load resources by name.
using PropertyDataFactory = std::function<CRefPtr<IPropertyData>(IContentManager* contentManager)>;

// Creates property values by type name: a property set asks it for every element it reads.
// The value types of this library are registered when it is made; the types that hold drawing
// and sound resources are registered by whoever composes the engine's services.
class CPropertyTypeRegistry : public TSingleton<CPropertyTypeRegistry> {
public:
    CPropertyTypeRegistry();

    // Adds the type; a name that is already registered keeps its first factory (false).
    bool registerType(const stringw& typeName, PropertyDataFactory factory);
    // Adds a value class whose values are made with the content manager (the resource values),
    // under its own type name.
    template <class T>
    bool registerResourceType() {
        return registerType(T::staticTypeName(), [](IContentManager* contentManager) -> CRefPtr<IPropertyData> {
            return makeRef<T>(contentManager);
        });
    }
    // A new value of the type (exact, case-sensitive name), or null for an unregistered name.
    [[nodiscard]] CRefPtr<IPropertyData> create(const stringw& typeName, IContentManager* contentManager) const;
    bool isRegistered(const stringw& typeName) const { return m_factories.count(typeName) != 0; }

private:
    std::map<stringw, PropertyDataFactory> m_factories;
};

}  // namespace oskel
