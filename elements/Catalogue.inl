#include <cstring>
#include <new>
#include <utility>

template <typename Element, typename... Arguments>
Element *newElement(Arguments &&...arguments)
{
    void *storage = allocateElement(sizeof(Element), alignof(Element),
                                    [](void *element) { static_cast<Element *>(element)->~Element(); });
    std::memset(storage, 0, sizeof(Element));
    return new (storage) Element(std::forward<Arguments>(arguments)...);
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
