#pragma once
// The start-up module: creates the two windows and keeps them for the life of the program.
#include <memory>

namespace runecast {

class Form1;
class runecast;

class Module1 {
public:
    Module1();
    ~Module1();
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    // Shows the splash, draws it at once, loads the decoder window behind it (hidden), and
    // returns to the event loop; the splash then hands over to the decoder window.
    void Main();

    Form1* splash() const { return form1_.get(); }
    runecast* decoder() const { return runecast_.get(); }

private:
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<runecast> runecast_;
};

} // namespace runecast
