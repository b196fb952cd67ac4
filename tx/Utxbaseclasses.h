// The common base class of the library's heap-owning classes.
#pragma once

class TxObject {
public:
    virtual ~TxObject() = default;
};
