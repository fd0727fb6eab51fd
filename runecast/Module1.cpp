#include "runecast/Module1.h"

#include "runecast/runecast.h"
#include "runecast/Form1.h"

namespace runecast {

Module1::Module1() = default;

// The decoder window goes first: the splash refers to it until the end.
Module1::~Module1()
{
    runecast_.reset();
    form1_.reset();
}

void Module1::Main()
{
    form1_ = std::make_unique<Form1>(*this);
    form1_->show();
    form1_->repaintNow();
    runecast_ = std::make_unique<runecast>(); // loading runs its Form_Load
}

} // namespace runecast
