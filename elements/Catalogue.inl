#include <cstring>
#include <new>
#include <utility>

template <typename Element, typename... Arguments>
Element *newElement(Arguments &&...arguments)
{
    void *storage = allocateElement(sizeof(Element), alignof(Element));
    std::memset(storage, 0, sizeof(Element));
    Element *element = nullptr;
    try {
        element = new (storage) Element(std::forward<Arguments>(arguments)...);
    } catch (...) {
        abandonElement(storage, sizeof(Element));
        throw;
    }
    adoptElement(element, sizeof(Element), [](void *built) { static_cast<Element *>(built)->~Element(); });
    return element;
}

template <typename Element>
Element *claim(Element *catalogueElement)
{
    if (!catalogueElement->placed) {
        catalogueElement->placed = true;
        return catalogueElement;
    }
    return newElement<Element>(catalogueElement->node);
}
