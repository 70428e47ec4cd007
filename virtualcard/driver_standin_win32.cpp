// The driver stand-in has no code of its own: it is a file that carries a version resource
// (driver_standin.rc).
