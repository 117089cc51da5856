<?xml version="1.0"?>
<map version="1.10"/>
