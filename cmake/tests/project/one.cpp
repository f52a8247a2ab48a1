// A file of the helpers' tests: never compiled.
